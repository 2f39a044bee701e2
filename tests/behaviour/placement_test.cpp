// A picture per monitor and the program's own placement, through the window's changes.
#include "support/fakes.h"

#include <QAction>

using namespace Qt::Literals::StringLiterals;
using vlmtest::FormFixture;

namespace {

QList<vlm::Monitor> landscapeAndPortrait() {
    return {{QRect(0, 0, 160, 90), QRect(0, 0, 160, 90), u"A"_s},
            {QRect(160, 0, 90, 160), QRect(160, 0, 90, 160), u"B"_s}};
}

// Each monitor's bitmap of the latest composition, by the colour it shows.
QList<QColor> shownColours(const FormFixture& f) {
    QList<QColor> colours;
    if (f.backend.composed.empty())
        return colours;
    for (const QString& bitmap : f.backend.composed.back().bitmaps)
        colours.append(QImage(bitmap).pixelColor(5, 5));
    return colours;
}

TEST(PicturePerMonitor, APortraitPictureGoesToThePortraitMonitorAndAStepBackShowsBothAgain) {
    FormFixture f;
    f.monitors = &landscapeAndPortrait;
    // Two landscape pictures before the portrait one, and one after it.
    const QStringList entries = {
        f.solidPicture(u"0.bmp"_s, Qt::red), f.solidPicture(u"1.bmp"_s, Qt::green),
        f.solidPicture(u"2.bmp"_s, Qt::blue, {48, 64}), f.solidPicture(u"3.bmp"_s, Qt::yellow)};
    f.store("lastfile", f.collectionFile(u"c.vlk"_s, entries));
    f.store({u"index=0"_s, u"fit=fill"_s, u"monitors=each"_s});
    f.load();
    ASSERT_EQ(f.backend.composed.size(), 1u);
    EXPECT_TRUE(f.backend.paths.empty()) << "a composed change sets no plain bitmap";
    EXPECT_EQ(shownColours(f), (QList<QColor>{Qt::red, Qt::blue}));
    EXPECT_EQ(QImage(f.backend.composed.back().bitmaps[1]).size(), QSize(90, 160));
    EXPECT_EQ(f.stored("index"), u"3"_s) << "the place after the last entry used";
    EXPECT_EQ(f.text("Label17"), u"aktuální tapeta na pozadí: 160 x 90 x 24bpp"_s);

    f.form().menuItem("mnuChangeNow")->trigger();
    f.settle();
    EXPECT_EQ(shownColours(f), (QList<QColor>{Qt::yellow, Qt::blue}));
    f.form().menuItem("mnuPrevious")->trigger();
    f.settle();
    EXPECT_EQ(shownColours(f), (QList<QColor>{Qt::red, Qt::blue}));
    EXPECT_EQ(f.stored("index"), u"3"_s) << "a step back keeps the place";

    // Back to the desktop's placement from the tray: the picture in place, set as before.
    f.form().menuItem("mnuFit_desktop")->trigger();
    f.form().menuItem("mnuEachMonitor")->trigger();
    f.settle();
    EXPECT_EQ(f.stored("fit") + f.stored("monitors"), u"same"_s);
    ASSERT_EQ(f.backend.paths.size(), 1u);
    EXPECT_EQ(QImage(f.backend.paths.back()).pixelColor(5, 5), QColor(Qt::red));
}

} // namespace
