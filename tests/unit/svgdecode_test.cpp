#include "common/decodewire.h"
#include "decoder/decoders.h"
#include "support/decodenow.h"
#include "unit/picturebytes.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class SvgTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (helper_.isEmpty())
            GTEST_SKIP() << "VLM_DECODE_HELPER is not set (ctest sets it)";
        if (QStandardPaths::findExecutable(u"rsvg-convert"_s).isEmpty())
            GTEST_SKIP() << "rsvg-convert is not installed (scripts/install-deps.sh)";
    }

    // The drawing as a file of the collection, and what the program gets for it.
    vlm::DecodedPicture decodeFile(const QByteArray& svg, QSize box, bool cover = false) {
        const QString path = dir_.filePath(u"drawing%1.svg"_s.arg(++files_));
        vlmtest::writeBytes(path, svg);
        return vlmtest::decodeNow(helper_, path, box, cover);
    }

    static QByteArray run(const QString& program, const QStringList& arguments,
                          const QByteArray& input) {
        QProcess process;
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000) && process.exitCode() == 0)
            << program.toStdString();
        return process.readAllStandardOutput();
    }
    static QByteArray gzipped(const QByteArray& data) { return run(u"gzip"_s, {u"-cn"_s}, data); }

    // Four quarters in a 64 x 32 viewBox (red, green / blue, yellow), and what extra draws.
    static QByteArray quarters(const QByteArray& extra = {}) {
        return R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
 width="128" height="64" viewBox="0 0 64 32"><rect width="32" height="16" fill="red"/>
<rect x="32" width="32" height="16" fill="lime"/><rect y="16" width="32" height="16" fill="blue"/>
<rect x="32" y="16" width="32" height="16" fill="yellow"/>)" +
               extra + "</svg>";
    }

    const QString helper_ = qEnvironmentVariable("VLM_DECODE_HELPER");
    QTemporaryDir dir_;
    int files_ = 0;
};

TEST_F(SvgTest, DrawsFittedToTheBoxAsDebiansRendererDoes) {
    const QRgb quarterColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
    const QImage expected(reinterpret_cast<const uchar*>(quarterColours), 2, 2,
                          QImage::Format_ARGB32);
    for (const QByteArray& svg : {quarters(), gzipped(quarters())})
        for (const QSize box : {QSize(300, 300), QSize(50, 100)}) {
            const QImage image = decodeFile(svg, box).image;
            ASSERT_EQ(image.size(), QSize(box.width(), box.width() / 2));
            EXPECT_LT(vlmtest::difference(image.scaled(2, 2), expected).largest, 24);
            // The wallpaper's drawing covers the screen, however narrow.
            EXPECT_EQ(decodeFile(svg, box, true).image.size(),
                      QSize(box.height() * 2, box.height()));
        }
    // Text, a gradient, a blur and an embedded picture come out as rsvg-convert draws them (a
    // BMP: gdk-pixbuf reads it with a loader module, loaded before the helper's filter).
    const QByteArray bmp = vlmtest::encoded(vlmtest::pattern(16, 16), "bmp").toBase64();
    const QByteArray svg = quarters(R"x(<defs><linearGradient id="g"><stop stop-color="navy"/>
<stop offset="1" stop-color="white"/></linearGradient><filter id="b"><feGaussianBlur
 stdDeviation="2"/></filter></defs><rect x="8" y="4" width="48" height="24" fill="url(#g)"
 filter="url(#b)"/><text x="10" y="20" font-size="9">Velmora</text>
<image x="44" y="2" width="16" height="16" xlink:href="data:image/bmp;base64,)x" +
                                    bmp + "\"/>");
    const QImage reference = QImage::fromData(
        run(u"rsvg-convert"_s, {u"-w"_s, u"256"_s, u"-h"_s, u"128"_s}, svg), "png");
    const QImage image = decodeFile(svg, QSize(256, 256)).image;
    ASSERT_EQ(image.size(), reference.size());
    EXPECT_LT(vlmtest::difference(image.convertToFormat(QImage::Format_ARGB32),
                                  reference.convertToFormat(QImage::Format_ARGB32))
                  .largest,
              8);
}

// A drawing is the document alone: a picture, a text or an address it names is left out,
// whether the helper's confinement would let it be read or not.
TEST_F(SvgTest, ReadsNothingButItself) {
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(u"picture.png"_s).toUtf8();
    vlmtest::writeBytes(QString::fromUtf8(path), vlmtest::encoded(vlmtest::pattern(8, 8), "png"));
    vlmtest::writeBytes(dir.filePath(u"text.txt"_s), "included");
    const QByteArray svg =
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:xi="http://www.w3.org/2001/XInclude" width="64" height="32"><rect width="64"
 height="32" fill="white"/><image width="16" height="32" xlink:href=")" +
        path + R"("/><image x="16" width="16" height="32" xlink:href="file://)" + path +
        R"("/><image x="32" width="16" height="32" xlink:href="http://127.0.0.1:9/red.png"/>
<text x="48" y="20" font-size="30" fill="red"><xi:include parse="text" href=")" +
        dir.filePath(u"text.txt"_s).toUtf8() + R"("/></text></svg>)";
    const QImage inProcess = vlm::decoder::decodeSvg(svg, {QSize(64, 32)});
    for (const QImage& image : {inProcess, decodeFile(svg, QSize(64, 32)).image}) {
        ASSERT_EQ(image.size(), QSize(64, 32));
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32).scaled(1, 1).pixel(0, 0),
                  qRgb(255, 255, 255));
    }
}

TEST_F(SvgTest, HostileDrawingsGiveNothing) {
    QByteArray laughs = R"(<!DOCTYPE svg [<!ENTITY e0 "lollollollollollollollollollol">)";
    for (int level = 1; level <= 12; ++level) {
        const QByteArray previous = QByteArray::number(level - 1);
        laughs += "<!ENTITY e" + QByteArray::number(level) + " \"" +
                  QByteArray("&e" + previous + ";").repeated(10) + "\">";
    }
    const QByteArray bomb =
        quarters("<!--" + QByteArray(vlm::decodewire::kDrawing.maxInputBytes, ' ') + "-->");
    const QByteArray gzip = gzipped(quarters());
    using enum vlm::PictureProblem;
    const struct {
        QByteArray svg;
        const char* what;
        vlm::PictureProblem why = Broken;
    } cases[] = {
        {quarters(QByteArray("<g>").repeated(100000) + QByteArray("</g>").repeated(100000)),
         "nested a hundred thousand deep"},
        {laughs + "]>" + quarters("<text>&e12;</text>"), "entities of a trillion laughs"},
        {gzipped(bomb), "inflating past the cap", TooLarge},
        {gzipped(gzip), "compressed twice", UnknownKind},
        {gzip.left(gzip.size() / 2), "compressed and cut", None},
        {quarters().left(200), "cut"},
        {"<svg xmlns=\"http://www.w3.org/2000/svg\"/>", "without a size or anything drawn"},

    };
    for (const auto& c : cases) {
        const vlm::DecodedPicture got = decodeFile(c.svg, QSize(300, 300));
        EXPECT_TRUE(got.image.isNull() && (c.why == None || got.problem == c.why)) << c.what;
    }
}

} // namespace
