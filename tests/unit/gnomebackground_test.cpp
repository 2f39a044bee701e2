#include "platform/gnomebackground.h"
#include "support/decodenow.h"
#include "unit/picturebytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using vlm::chooseGnomeBackgroundPicture;

namespace {

const QString kFile = u"/usr/share/themes/x/background.xml"_s;

QString chosen(const QByteArray& xml, const QList<QSize>& monitors = {QSize(1920, 1080)}) {
    const vlm::GnomeBackgroundChoice choice = chooseGnomeBackgroundPicture(xml, kFile, monitors);
    EXPECT_NE(choice.picture.isEmpty(), choice.problem.isEmpty());
    return choice.picture.isEmpty() ? u"problem: "_s + choice.problem : choice.picture;
}

} // namespace

// As desktop themes write them: one picture per screen size, in any order.
TEST(GnomeBackground, ChoosesTheSmallestSizeCoveringEveryMonitorElseTheLargest) {
    const QByteArray xml = R"(<?xml version="1.0"?>
<!DOCTYPE background SYSTEM "gnome-wp-list.dtd"><!-- a theme -->
<background><static><duration>8640000.0</duration><file>
  <size width="3840" height="2160">/p/3840x2160.svg</size>
  <size width="1280" height="800">/p/1280x800.svg</size>
  <size width="2560" height="1600">/p/2560x1600.svg</size>
  <size width="1920" height="1080">/p/1920x1080.svg</size>
  <size width="1920" height="1200">/p/1920x1200.svg</size>
</file></static></background>)";
    const std::pair<QList<QSize>, QString> cases[] = {
        {{QSize(1920, 1080)}, u"/p/1920x1080.svg"_s},
        {{QSize(1600, 1200), QSize(1920, 1080)}, u"/p/1920x1200.svg"_s},
        {{QSize(1024, 768)}, u"/p/1280x800.svg"_s},
        {{QSize(2560, 1440)}, u"/p/2560x1600.svg"_s},
        {{QSize(1080, 1920)}, u"/p/3840x2160.svg"_s}, // none is tall enough
        {{QSize(7680, 4320)}, u"/p/3840x2160.svg"_s},
    };
    for (const auto& [monitors, picture] : cases)
        EXPECT_EQ(chosen(xml, monitors), picture) << monitors.value(0).width();
}

TEST(GnomeBackground, TakesASlideshowsFirstPictureFromTheFilesFolder) {
    EXPECT_EQ(chosen("<background><starttime><year>2011</year></starttime>"
                     "<transition type='overlay'><duration>5</duration><from>a.jpg</from>"
                     "<to>b.jpg</to></transition><static><file>c.jpg</file></static>"
                     "</background>"),
              u"/usr/share/themes/x/a.jpg"_s);
    EXPECT_EQ(chosen("<background><static><duration>1</duration><file>\n ../y/c d.png\n</file>"
                     "</static><transition><from>a.jpg</from></transition></background>"),
              u"/usr/share/themes/y/c d.png"_s);
    EXPECT_EQ(chosen("<background><static><file>file:///srv/%C3%A9.png</file></static>"
                     "</background>"),
              u"/srv/\u00e9.png"_s);
}

TEST(GnomeBackground, SaysWhyAFileShowsNothing) {
    const QByteArray cases[] = {
        "<background><static><file>background.xml</file></static></background>", // itself
        "<background><static><file>  </file></static></background>",
        "<background><static><duration>5</duration></static></background>",
        "<background><static><file>a.jpg</file></static>", // cut
        "<background><static><file>a.jpg</file></static></background><x/>",
        "<svg xmlns='http://www.w3.org/2000/svg'/>",
        "<background><!--" + QByteArray(vlm::kGnomeBackgroundMaxBytes, ' ') +
            "--><static><file>a.jpg</file></static></background>",
    };
    for (const QByteArray& xml : cases)
        EXPECT_TRUE(chosen(xml).startsWith(u"problem: "_s)) << xml.left(80).data();
}

// Whatever its name, a background file stands for the picture it names for the screens, which
// is opened as any entry of a collection.
TEST(GnomeBackground, StandsForThePictureItNamesOpenedAsAnyEntry) {
    const QString helper = vlmtest::decodeHelper();
    if (helper.isEmpty())
        GTEST_SKIP() << "VLM_DECODE_HELPER is not set (ctest sets it)";
    QTemporaryDir dir;
    for (const auto& [name, colour, size] : {std::tuple{u"small.png"_s, Qt::green, QSize(20, 10)},
                                             {u"large.png"_s, Qt::red, QSize(40, 20)}}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        vlmtest::writeBytes(dir.filePath(name), vlmtest::encoded(image, "png"));
    }
    vlmtest::writeBytes(dir.filePath(u"text.png"_s), "not a picture");
    vlmtest::writeBytes(dir.filePath(u"other.xml"_s),
                        "<background><static><file>small.png</file></static></background>");
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath(u"fifo.png"_s)).constData(), 0600), 0);
    const auto shown = [&](const QByteArray& names, QSize screens) {
        vlmtest::writeBytes(dir.filePath(u"background.txt"_s),
                            "<background><static><file>" + names + "</file></static></background>");
        return vlmtest::decodeNow(helper, dir.filePath(u"background.txt"_s), screens);
    };
    const QByteArray sizes = "<size width='100' height='50'>small.png</size>"
                             "<size width='400' height='200'>large.png</size>";
    EXPECT_EQ(shown(sizes, QSize(300, 150)).image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(shown(sizes, QSize(80, 40)).image.size(), QSize(20, 10));
    using enum vlm::PictureProblem;
    const std::pair<QByteArray, vlm::PictureProblem> cases[] = {
        {"absent.png", Missing},
        {"fifo.png", Unreadable},
        {"text.png", UnknownKind},
        {"other.xml", Refused}, // it names another background file
    };
    for (const auto& [names, problem] : cases)
        EXPECT_EQ(shown(names, QSize(300, 150)).problem, problem) << names.data();
}
