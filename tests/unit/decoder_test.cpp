#include "common/decodewire.h"
#include "decoder/decoders.h"
#include "platform/bubblewrap.h"
#include "platform/decodedpicturereader.h"
#include "unit/picturebytes.h"
#include "unit/scratch.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using vlmtest::writeBytes;
namespace wire = vlm::decodewire;

namespace {

const QString helperPath = qEnvironmentVariable("VLM_DECODE_HELPER");

#define REQUIRE_HELPER()                                                                           \
    if (helperPath.isEmpty())                                                                      \
    GTEST_SKIP() << "VLM_DECODE_HELPER is not set (ctest sets it)"

QByteArray wireHeader(quint32 width, quint32 height, const wire::Format& format = wire::kDrawing) {
    return QByteArray(format.magic, sizeof format.magic) + vlmtest::littleEndian(width, height);
}

QImage readOutput(const QByteArray& bytes, const wire::Format& format, qsizetype chunk) {
    vlm::DecodedPictureReader reader(format);
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        reader.append(QByteArrayView(bytes).sliced(at, qMin(chunk, bytes.size() - at)));
    return reader.finish();
}

} // namespace

TEST(DecodedPictureReader, AcceptsOnlyAnExactWellFormedBuffer) {
    // Little-endian 0xFFFF0000 and 0x8000FF00.
    const QByteArray drawing = wireHeader(2, 1) + QByteArray("\0\0\xFF\xFF\0\xFF\0\x80", 8);
    // 0x00FF0000 and 0x12008000: a photo's alpha is opaque, whatever the helper sends.
    const QByteArray photo =
        wireHeader(2, 1, wire::kRaster) + QByteArray("\0\0\xFF\0\0\x80\0\x12", 8);
    for (const qsizetype chunk : {1, 5, 64}) { // however the pipe splits it
        const QImage image = readOutput(drawing, wire::kDrawing, chunk);
        const QImage opaque = readOutput(photo, wire::kRaster, chunk);
        ASSERT_TRUE(image.size() == QSize(2, 1) && opaque.size() == QSize(2, 1));
        EXPECT_EQ(
            QList({image.pixel(0, 0), image.pixel(1, 0), opaque.pixel(0, 0), opaque.pixel(1, 0)}),
            QList({0xFFFF0000U, 0x8000FF00U, qRgb(255, 0, 0), qRgb(0, 128, 0)}));
    }

    // The longest sides are taken.
    for (const auto& [w, h] : {std::pair{wire::kMaxSide, 1U}, {1U, wire::kMaxSide}})
        EXPECT_FALSE(
            readOutput(wireHeader(w, h) + QByteArray(w * h * 4, '\0'), wire::kDrawing, 4096)
                .isNull());

    // Empty, cut, padded, mislabelled, too large (or wrapping in 32 bits), or the other format.
    for (const QByteArray& bytes :
         {QByteArray(), drawing.left(15), wireHeader(2, 1), drawing.chopped(1), drawing + '\0',
          'X' + drawing.mid(1), wireHeader(0, 1), wireHeader(1, 0),
          wireHeader(wire::kMaxSide + 1, 1) + QByteArray((wire::kMaxSide + 1) * 4, '\0'), photo,
          wireHeader(wire::kMaxSide, wire::kMaxSide), wireHeader(0xFFFFFFFFU, 0xFFFFFFFFU),
          wireHeader(0x40000000U, 4)})
        EXPECT_TRUE(readOutput(bytes, wire::kDrawing, 7).isNull()) << bytes.toHex().left(40).data();
    for (const QByteArray& bytes :
         {drawing, wireHeader(65536, 1, wire::kRaster) + QByteArray(65536 * 4, '\0'),
          wireHeader(20000, 10001, wire::kRaster)})
        EXPECT_TRUE(readOutput(bytes, wire::kRaster, 7).isNull()) << bytes.toHex().left(40).data();
}

// libUEMF's drawings keep their aspect; changed copies end quickly, refused or (sizes) fitted.
// The wallpaper's picture just covers the widest and the tallest monitor and is never enlarged;
// a preview's fits inside its box; a drawing is drawn at either size.
TEST(DecodeHelper, SizesAPictureForItsUse) {
    using vlm::decoder::Box;
    const QSize landscape(1920, 1080), both(1920, 1920); // a landscape and a portrait monitor
    EXPECT_EQ(vlm::decoder::photoSize({8000, 6000}, Box{landscape, true}), QSize(1920, 1440));
    EXPECT_EQ(vlm::decoder::photoSize({6000, 8000}, Box{both, true}), QSize(1920, 2560));
    EXPECT_EQ(vlm::decoder::photoSize({1000, 800}, Box{landscape, true}), QSize(1000, 800));
    EXPECT_EQ(vlm::decoder::photoSize({8000, 6000}, Box{{200, 200}}), QSize(200, 150));
    EXPECT_EQ(vlm::decoder::drawingSize(100, 50, Box{landscape, true}), QSize(2160, 1080));
    EXPECT_EQ(vlm::decoder::drawingSize(100, 50, Box{landscape}), QSize(1920, 960));
    EXPECT_EQ(vlm::decoder::drawingSize(1, 1000, Box{landscape, true}).height(), 16384);
    // Through the helper: a JPEG decoded at half its size, then scaled to just cover.
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"photo.jpg"_s),
               vlmtest::encoded(vlmtest::pattern(4000, 3000), "jpeg"));
    EXPECT_EQ(vlmtest::loadPicture(dir.filePath(u"photo.jpg"_s), landscape, true).size(),
              QSize(1920, 1440));
}

TEST(DecodeHelper, RendersDrawingsWithTheirAspectAndRefusesHostileOnes) {
    REQUIRE_HELPER();
    QTemporaryDir dir;
    const QByteArray emf = vlmtest::emfBytes(dir.filePath(u"wide.emf"_s), 399, 99);
    const QByteArray wmf = vlmtest::wmfBytes(dir.filePath(u"wide.wmf"_s), 400, 100);
    ASSERT_TRUE(emf.size() > 100 && wmf.size() > 40);
    for (const QString& name : {u"wide.emf"_s, u"wide.wmf"_s})
        for (const QSize box : {QSize(800, 800), QSize(300, 600)}) {
            SCOPED_TRACE(name.toStdString());
            const QImage image = vlmtest::loadPicture(dir.filePath(name), box);
            ASSERT_EQ(image.width(), box.width());
            EXPECT_NEAR(image.height(), box.width() / 4, box.width() / 50);
            const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
            EXPECT_TRUE(qRed(centre) > 200 && qGreen(centre) < 60 && qAlpha(centre) == 255);
        }
    // A changed copy: 32-bit values at their offsets, one after another.
    const auto patched = [](QByteArray bytes, std::initializer_list<std::pair<int, quint32>> at) {
        for (const auto& [offset, value] : at)
            vlmtest::put(bytes, offset, value);
        return bytes;
    };
    const int firstEmfRecord = int(qFromLittleEndian<quint32>(emf.constData() + 4)) + 4;
    const std::vector<vlmtest::Hostile> files = {
        {u"emf-header-cut.emf"_s, emf.left(60)},
        {u"wmf-header-cut.wmf"_s, wmf.left(30)},
        {u"emf-half.emf"_s, emf.left(emf.size() / 2)},
        // A record of size 0 never moves the reader on.
        {u"emf-zero-size-record.emf"_s, patched(emf, {{firstEmfRecord, 0}})},
        {u"emf-huge-record.emf"_s, patched(emf, {{firstEmfRecord, 0xfffffff0U}})},
        // The first record after the 22 + 18 header bytes.
        {u"wmf-zero-size-record.wmf"_s, patched(wmf, {{40, 0}})},
        {u"wmf-huge-record.wmf"_s, patched(wmf, {{40, 0x7fffffffU}})},
        {u"bmp-named.emf"_s, vlmtest::bmpHeader(16, 16, 24)},
        {u"emf-huge-totals.emf"_s,
         patched(emf, {{48, 0xfffffff0U}, {52, 0xfffffff0U}, {56, 0xffff}}), true},
        {u"wmf-huge-totals.wmf"_s,
         patched(wmf, {{28, 0x7fffffffU}, {32, 0xffff}, {34, 0x7fffffffU}}), true},
        {u"emf-huge-bounds.emf"_s,
         vlmtest::emfBytes(dir.filePath(u"b.emf"_s), 0x7ffffff0, 0x7ffffff0), true},
        {u"wmf-huge-extent.wmf"_s, vlmtest::wmfBytes(dir.filePath(u"b.wmf"_s), 32767, 32767), true},
    };
    const QSize box(640, 480);
    vlmtest::expectRefused(dir, files, box);
}

TEST(DecodeHelper, RendersRealFilesAndSurvivesCorruptOnes) {
    REQUIRE_HELPER();
    const QString root = vlmtest::sharedTestData() + u"/metafiles"_s;
    if (vlmtest::sharedTestData().isEmpty())
        GTEST_SKIP() << "shared test data folder is absent";
    const QSize box(640, 480);
    int valid = 0;
    for (QDirIterator it(root, {u"*.emf"_s, u"*.wmf"_s}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        const QImage image = vlmtest::loadPicture(path, box);
        // libUEMF's reference WMF has a "Bad record".
        const bool corrupted = path.contains(u"corrupted"_s) || path.endsWith(u"_ref.wmf"_s);
        valid += !corrupted;
        EXPECT_TRUE(image.isNull() ? corrupted : QRect(QPoint(), box).contains(image.rect()))
            << path.toStdString();
    }
    EXPECT_GT(valid, 3);
}

class FakeHelperTest : public ::testing::Test {
protected:
    static constexpr char kRedPixel[] =
        "printf 'VLMPIX01\\001\\000\\000\\000\\001\\000\\000\\000\\000\\000\\377\\377'";

    void SetUp() override {
        writeBytes(drawing_, '\1' + QByteArray(39, '\0') + " EMF" + QByteArray(44, '\0'));
    }
    QImage loadWith(const QByteArray& script) {
        vlmtest::writeScript(helper_, script);
        return vlmtest::decodeNow(helper_, drawing_, QSize(640, 480)).image;
    }

    QTemporaryDir dir_;
    QString drawing_ = dir_.filePath(u"drawing.emf"_s);
    QString helper_ = dir_.filePath(u"helper.sh"_s);
};

TEST_F(FakeHelperTest, RunsUnderLimitsAndItsOutputIsTaken) {
    // The fake answers only when it sees the limits and arguments of its kind, in its format.
    const QImage drawing = loadWith(
        "case \"$*\" in 'emf within 640 480') cpu=5 ;; 'webp within 64 48') cpu=40 ;; *) exit 1 ;; "
        "esac\n"
        "[ \"$(ulimit -c)\" = 0 ] && [ \"$(ulimit -f)\" = 0 ] && [ \"$(ulimit -t)\" = $cpu ] || "
        "exit 1\n"
        "grep -q '^NoNewPrivs:[[:space:]]*1' /proc/self/status || exit 1\n"
        "[ $1 = webp ] || [ \"$(head -c 4 | od -An -tx1 | tr -d ' ')\" = 01000000 ] || exit 1\n"
        "if [ $1 = emf ]; then " +
        QByteArray(kRedPixel) +
        "\nelse printf 'VLMRGB32\\001\\000\\000\\000\\001\\000\\000\\000\\0\\0\\377\\377'; fi");
    writeBytes(dir_.filePath(u"photo.webp"_s), QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16));
    const QImage photo =
        vlmtest::decodeNow(helper_, dir_.filePath(u"photo.webp"_s), QSize(64, 48)).image;
    for (const QImage& image : {drawing, photo}) {
        ASSERT_EQ(image.size(), QSize(1, 1));
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    }
}

TEST_F(FakeHelperTest, FailureExitOrBadOutputGivesANullImage) {
    // the last answer lacks its two pixels
    for (const QByteArray& script :
         {kRedPixel + QByteArray("; exit 1"), QByteArray("kill -SEGV $$"),
          QByteArray("printf 'VLMPIX01\\001\\000\\000\\000\\002\\000\\000\\000'")})
        EXPECT_TRUE(loadWith(script).isNull()) << script.data();
    EXPECT_TRUE(vlmtest::decodeNow(dir_.filePath(u"absent"_s), drawing_).image.isNull());
}

// Where bubblewrap works, the helper sees the system and itself but not the folder beside it.
TEST_F(FakeHelperTest, RunsInsideBubblewrapWhereThatWorks) {
    const QString bwrap = QStandardPaths::findExecutable(u"bwrap"_s);
    if (bwrap.isEmpty() || QProcess::execute(bwrap, {u"--unshare-all"_s, u"--ro-bind"_s, u"/"_s,
                                                     u"/"_s, u"/bin/true"_s}) != 0)
        GTEST_SKIP() << "bubblewrap is not installed or cannot make namespaces here";
    vlm::probeHelperSandbox();
    // its own process namespace: its shell has one of the first few ids
    EXPECT_FALSE(loadWith("[ -e '" + QFile::encodeName(drawing_) + "' ] && exit 1\n" +
                          "[ $$ -lt 10 ] || exit 1\n" + kRedPixel)
                     .isNull());
}

TEST_F(FakeHelperTest, HungOrFloodingHelperIsKilled) {
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(loadWith("sleep 29.25 & wait").isNull());
    EXPECT_TRUE(loadWith("exec cat /dev/zero").isNull());
    EXPECT_LT(timer.elapsed(), 20000) << "a helper was waited for beyond its deadline";
}

// Photos made by Debian's encoders from four coloured quarters, so that a decoded picture's
// size, colours and turn can be read back: red, green / blue, yellow (or transparent).
class PhotoTest : public ::testing::Test {
protected:
    static constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                          kYellow = 0xFFFFFF00, kWhite = 0xFFFFFFFF;

    void SetUp() override {
        REQUIRE_HELPER();
        for (const char* encoder :
             {"cwebp", "img2webp", "webpmux", "convert", "heif-enc", "avifenc", "cjxl"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(encoder)).isEmpty())
                GTEST_SKIP() << encoder << " is not installed (scripts/install-deps.sh)";
        QImage alpha(64, 32, QImage::Format_ARGB32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x)
                alpha.setPixel(x, y, y < 16 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : 0));
        in_ = alpha;
        in_.fill(kYellow);
        QPainter(&in_).drawImage(0, 0, alpha);
        QImage black(64, 32, QImage::Format_RGB32);
        black.fill(Qt::black);
        for (const auto& [name, image] :
             {std::pair{u"in.png"_s, in_}, {u"alpha.png"_s, alpha}, {u"black.png"_s, black}})
            writeBytes(dir_.filePath(name), vlmtest::encoded(image, "png"));
        inJpeg_ = vlmtest::encoded(in_, "jpeg");
    }

    // Runs an encoder in dir_ and returns the file it made, named OUT (or OUT.avif) in it.
    QByteArray make(const QString& command) {
        const QString out = u"out"_s + QString::number(++made_);
        QStringList arguments = QString(command).replace(u"OUT"_s, out).split(u' ');
        QProcess encoder;
        encoder.setWorkingDirectory(dir_.path());
        encoder.start(arguments.takeFirst(), arguments);
        EXPECT_TRUE(encoder.waitForFinished(60000) && encoder.exitCode() == 0)
            << command.toStdString() << encoder.readAllStandardError().data();
        return vlmtest::readBytes(dir_.filePath(arguments.filter(out).value(0)));
    }

    QImage decode(const QByteArray&, const QByteArray& data, QSize box = QSize(1000, 1000)) {
        const QString path = dir_.filePath(u"decoded"_s);
        writeBytes(path, data);
        return vlmtest::loadPicture(path, box);
    }

    QTemporaryDir dir_;
    QImage in_;
    QByteArray inJpeg_;
    int made_ = 0;
};

// Each kind decodes at its size or fitted into the box, turned upright as Qt turns a JPEG.
TEST_F(PhotoTest, EveryKindDecodesUprightAtItsSizeOrFittedIntoTheBox) {
    // Exif for a WebP file: a JPEG's, without (3) or with (6) its "Exif" prefix.
    writeBytes(dir_.filePath(u"plain.webp"_s), make(u"cwebp -quiet in.png -o OUT"_s));
    writeBytes(dir_.filePath(u"turned.jpg"_s), vlmtest::withOrientation(inJpeg_, 6));
    for (const auto& [orientation, start] : {std::pair{3, 12}, {6, 6}})
        writeBytes(dir_.filePath(u"exif%1"_s.arg(orientation)),
                   vlmtest::withOrientation("\xFF\xD8", quint16(orientation)).mid(start));
    const struct {
        QByteArray kind;
        const char* command;
        quint16 orientation = 1;
        bool transparent = false;
        QSize box = QSize(1000, 1000);
    } cases[] = {
        {"webp", "cwebp -quiet -q 90 in.png -o OUT"},
        {"webp", "cwebp -quiet -lossless in.png -o OUT"},
        {"webp", "cwebp -quiet -q 90 alpha.png -o OUT", 1, true},
        {"webp", "img2webp -lossless alpha.png black.png -o OUT", 1, true},
        {"webp", "cwebp -quiet -lossless in.png -o OUT", 1, false, {32, 100}},
        {"webp", "webpmux -set exif exif3 plain.webp -o OUT", 3},
        {"webp", "webpmux -set exif exif6 plain.webp -o OUT", 6},
        {"tiff", "convert in.png -compress LZW OUT.tif"},
        {"tiff", "convert in.png -compress JPEG OUT.tif"},
        {"tiff", "convert in.png -define tiff:tile-geometry=16x16 -compress LZW OUT.tif"},
        {"tiff", "convert in.png -depth 16 OUT.tif"},
        {"tiff", "convert alpha.png -compress Zip OUT.tif", 1, true},
        {"tiff", "convert in.png black.png OUT.tif"}, // the first of two pages
        {"tiff", "convert in.png OUT.tif", 1, false, {16, 16}},
        {"tiff", "convert in.png -orient TopRight OUT.tif", 2},
        {"tiff", "convert in.png -orient BottomLeft OUT.tif", 4},
        {"tiff", "convert in.png -orient LeftTop OUT.tif", 5},
        {"tiff", "convert in.png -orient RightBottom OUT.tif", 7},
        {"tiff", "convert in.png -orient LeftBottom OUT.tif", 8},
        {"heif", "heif-enc -q 90 in.png -o OUT.heic"},
        {"heif", "heif-enc -q 90 alpha.png -o OUT.heic", 1, true},
        {"heif", "avifenc -s 10 -d 8 in.png OUT.avif"},
        {"heif", "avifenc -s 10 -d 12 alpha.png OUT.avif", 1, true},
        {"heif", "avifenc -s 10 in.png OUT.avif", 1, false, {1000, 20}},
        // HEIF turns anticlockwise (irot), then mirrors (imir 1: left and right).
        {"heif", "avifenc -s 10 --irot 3 --imir 1 in.png OUT.avif", 5},
        {"jxl", "cjxl -d 1 in.png OUT.jxl"},
        {"jxl", "cjxl -d 0 alpha.png OUT.jxl", 1, true},
        {"jxl", "cjxl -d 0 in.png OUT.jxl", 1, false, {16, 16}},
        {"jxl", "cjxl turned.jpg OUT.jxl", 6}, // the JPEG kept as it is, Exif and all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        QBuffer jpeg;
        jpeg.setData(vlmtest::withOrientation(inJpeg_, c.orientation));
        QImageReader reader(&jpeg, "jpeg");
        reader.setAutoTransform(true);
        const QImage upright = reader.read();
        const QByteArray data = make(QString::fromLatin1(c.command));
        const QImage image = decode(c.kind, data, c.box);
        ASSERT_EQ(image.size(),
                  upright.size().scaled(c.box, Qt::KeepAspectRatio).boundedTo(upright.size()));
        EXPECT_EQ(vlmtest::measurePicture(dir_.filePath(u"decoded"_s)), upright.size());
        // the colour at the centre of each quarter
        QImage expected = upright.scaled(2, 2);
        if (c.transparent)
            expected.setPixel(1, 1, kWhite);
        EXPECT_LT(vlmtest::difference(image.scaled(2, 2), expected).largest, 24);
    }
}

TEST_F(PhotoTest, HostileFilesGiveNoPicture) {
    // Every image size property (ispe) of a HEIF file says width x height.
    const auto heifSized = [](QByteArray heif, quint32 width, quint32 height) {
        for (qsizetype at = heif.indexOf("ispe"); at > 0; at = heif.indexOf("ispe", at + 1)) {
            qToBigEndian(width, heif.data() + at + 8);
            qToBigEndian(height, heif.data() + at + 12);
        }
        return heif;
    };
    // ImageMagick writes little-endian TIFF; width and height become 32-bit values.
    const auto tiffSized = [](QByteArray tiff, quint32 width, quint32 height) {
        const auto ifd = qFromLittleEndian<quint32>(tiff.constData() + 4);
        for (int i = 0; i < qFromLittleEndian<quint16>(tiff.constData() + ifd); ++i) {
            char* entry = tiff.data() + ifd + 2 + 12 * i;
            const auto tag = qFromLittleEndian<quint16>(entry);
            if (tag == 256 || tag == 257) {
                qToLittleEndian<quint16>(4, entry + 2);
                qToLittleEndian<quint32>(tag == 256 ? width : height, entry + 8);
            }
        }
        return tiff;
    };
    const QByteArray lossy = make(u"cwebp -quiet in.png -o OUT"_s);
    const QByteArray animated = make(u"img2webp -lossy in.png black.png -o OUT"_s);
    const QByteArray tiff = make(u"convert in.png -compress LZW OUT.tif"_s);
    const QByteArray heic = make(u"heif-enc in.png -o OUT.heic"_s);
    const QByteArray avif = make(u"avifenc -s 10 in.png OUT.avif"_s);
    const QByteArray jxl = make(u"cjxl -d 1 in.png OUT.jxl"_s);
    // A bare JPEG XL codestream: its header with each side in 30 bits (selector 3), a free
    // ratio, then default metadata (a set bit 68).
    const auto jxlSized = [](quint32 width, quint32 height) {
        const quint64 bits =
            6 | quint64(height - 1) << 3 | quint64(3) << 36 | quint64(width - 1) << 38;
        QByteArray header("\xFF\x0A", 2);
        for (int byte = 0; byte < 8; ++byte)
            header += char(bits >> (8 * byte));
        return header + char((width - 1) >> 26 | 0x10) + QByteArray(64, '\0');
    };
    ASSERT_TRUE(heic.contains("ispe") && avif.contains("ispe") && animated.contains("VP8X"));
    const struct {
        QByteArray kind;
        QByteArray data;
        const char* what;
    } cases[] = {
        {"webp", lossy.left(lossy.size() / 2), "truncated"},
        {"webp", QByteArray(lossy).replace(12, 4, "VP9 "), "unknown chunk"},
        {"webp", QByteArray(lossy).replace(26, 4, "\xFF\x3F\xFF\x3F"), "16383 x 16383 frame"},
        {"webp", QByteArray(lossy).replace(26, 4, QByteArray(4, '\0')), "0 x 0 frame"},
        {"webp", QByteArray(animated).replace(24, 6, QByteArray("\xFE\x3F\0\xFE\x3F\0", 6)),
         "16383 x 16383 canvas"},
        {"webp", animated.left(animated.size() - 20), "animation truncated"},
        {"webp", QByteArray("RIFF\x04\0\0\0WEBP", 12), "no chunk"},
        {"tiff", tiff.left(tiff.size() / 2), "truncated"},
        {"tiff", QByteArray(tiff).replace(2, 1, "\x2C"), "no TIFF header"},
        {"tiff", tiffSized(tiff, 20000, 10001), "just over 200 megapixels"},
        {"tiff", tiffSized(tiff, 0, 32), "zero width"},
        {"tiff", tiffSized(tiff, 0xFFFFFFFF, 1), "width beyond 32 bits signed"},
        {"heif", heic.left(heic.size() / 2), "truncated"},
        {"heif", QByteArray(heic).replace(4, 4, "ftyx"), "no ftyp box"},
        {"heif", heifSized(heic, 60000, 60000), "60000 x 60000"},
        {"heif", heifSized(heic, 0, 0), "0 x 0"},
        {"heif", heifSized(avif, 20000, 10001), "AVIF over 200 megapixels"},
        {"heif", avif.left(avif.size() - 10), "AVIF truncated"},
        {"jxl", jxl.left(jxl.size() / 2), "truncated"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(decode(c.kind, c.data).isNull()) << c.kind.data() << ": " << c.what;
    // A JPEG XL is refused by the size its header gives, before anything is decoded.
    for (const auto& [width, height] : {std::pair{60000U, 60000U}, {20000U, 10001U}}) {
        writeBytes(dir_.filePath(u"huge.jxl"_s), jxlSized(width, height));
        EXPECT_EQ(vlmtest::decodeNow(helperPath, dir_.filePath(u"huge.jxl"_s)).problem,
                  vlm::PictureProblem::TooLarge);
    }
}
