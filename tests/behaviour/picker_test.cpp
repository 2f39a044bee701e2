// What the picker's file list offers.
#include "collection/ui/picker.h"
#include "support/fakes.h"

#include <QDeadlineTimer>
#include <QThreadPool>

using namespace Qt::Literals::StringLiterals;

namespace {

// XML files are offered when their content is a GNOME background file, whatever their names.
TEST(Picker, OffersAnXmlFileOnlyWhenItIsABackgroundFile) {
    vlmtest::FormFixture f;
    const QString folder = f.path(u"pics"_s);
    f.solidPicture(u"pics/b.bmp"_s);
    vlmtest::writeBytes(folder + u"/A.xml"_s, "<background><static/></background>");
    vlmtest::writeBytes(folder + u"/c.xml"_s, "<?xml version='1.0'?><config/>");
    vlmtest::writeBytes(folder + u"/d.XML"_s, "<!-- GNOME --><background/>");
    auto* list = f.control<QListWidget>("File1");
    const auto listed = [&](int count) {
        for (QDeadlineTimer hang(10000); list->count() < count && !hang.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QStringList names;
        for (int row = 0; row < list->count(); ++row)
            names.append(list->item(row)->text());
        return names;
    };
    f.form().picker().setFile1Path(folder);
    EXPECT_EQ(listed(3), QStringList({u"A.xml"_s, u"b.bmp"_s, u"d.XML"_s}));
    // A folder left before the answer comes keeps its own files.
    const QString empty = f.path(u"pics/empty"_s);
    QDir().mkpath(empty);
    f.form().picker().setFile1Path(folder);
    f.form().picker().setFile1Path(empty);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(list->count(), 0);
}

} // namespace
