#include "platform/picturekind.h"
#include "platform/picturesource.h"
#include "unit/picturebytes.h"
#include "unit/scratch.h"

#include <QDir>
#include <climits>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace vlmtest;
using vlm::PictureKind;
using vlm::PictureProblem;

namespace {

TEST(PictureSource, DecodesEachFormatByItsBytesWhateverTheName) {
    QTemporaryDir dir;
    const QImage source = pattern(40, 30), small = pattern(32, 32), large = pattern(64, 64);
    // Three single-image icons joined into one directory, the largest in the middle.
    QByteArray entries = littleEndian(quint16(0), quint16(1), quint16(3)), images;
    for (const QImage& image : {pattern(16, 16), large, pattern(16, 16)}) {
        const QByteArray one = encoded(image, "ico");
        entries += one.mid(6, 12) + littleEndian(quint32(6 + 3 * 16 + images.size()));
        images += one.mid(22);
    }
    // Run-length coded: one run of 8 pixels of palette entry 1, red.
    QByteArray rle =
        bmpHeader(8, 1, 8, 1) + QByteArray(1024, '\0') + QByteArray::fromHex("08010001");
    put<quint32>(rle, 10, 54 + 1024);
    rle[54 + 4 + 2] = char(255);
    // A graphic control extension before the frame, as most GIFs have.
    const QByteArray anim = gif(40, 30, [](int x, int y) {
                                return uchar(x + y);
                            }).insert(kGifDescriptor, QByteArray("!\xF9\x04\0\0\0\0\0", 8));
    // PNG: 16 bits with alpha (a half-transparent pixel).
    QImage deep = source.convertToFormat(QImage::Format_RGBA64);
    deep.setPixelColor(39, 29, QColor(10, 20, 30, 128));
    QImage eightK(7680, 4320, QImage::Format_RGB32); // within the program's decoder cap
    eightK.fill(Qt::darkCyan);
    const struct {
        QString name;
        QByteArray bytes;
        QPoint at;
        QRgb colour; // exact unless the format is lossy
        bool lossy = false;
        QSize size = QSize(40, 30);
    } cases[] = {
        {u"photo-named.gif"_s, encoded(source, "jpeg"), {39, 15}, source.pixel(39, 15), true},
        {u"anim.gif"_s, anim, {10, 5}, qRgb(30, 225, 15)}, // palette entry 15
        {u"icon.ico"_s, encoded(small, "ico"), {1, 1}, small.pixel(1, 1), false, {32, 32}},
        {u"three.ico"_s, entries + images, {63, 63}, large.pixel(63, 63), false, {64, 64}},
        {u"rle.bmp"_s, rle, {7, 0}, qRgb(255, 0, 0), false, {8, 1}},
        // A GIF as wide as a picture may be, its frame painted on the screen's width.
        {u"wide.gif"_s, gifClaiming(65535, 1, 4, 1), {0, 0}, qRgb(2, 253, 1), false, {65535, 1}},
        {u"png-named.jpg"_s, encoded(source, "png"), {39, 29}, source.pixel(39, 29)},
        // transparency laid on white, as the wallpaper has it
        {u"deep.png"_s, encoded(deep, "png"), {39, 29}, qRgb(132, 137, 142), true},
        {u"8k.bmp"_s, encoded(eightK, "bmp"), {0, 0}, eightK.pixel(0, 0), false, eightK.size()},
        // turned by its Exif orientation: upright it is portrait
        {u"turned.jpg"_s,
         withOrientation(encoded(source, "jpeg"), 6),
         {0, 39},
         source.pixel(39, 29),
         true,
         {30, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        writeBytes(dir.filePath(c.name), c.bytes);
        // The size alone, from the header, is the upright size the pixels come at.
        EXPECT_EQ(measurePicture(dir.filePath(c.name)), c.size);
        const QImage image = loadPicture(dir.filePath(c.name));
        ASSERT_EQ(image.size(), c.size);
        const QRgb got = image.pixel(c.at);
        EXPECT_EQ(qAlpha(got), qAlpha(c.colour));
        if (c.lossy)
            EXPECT_NEAR(qRed(got), qRed(c.colour), 24);
        else
            EXPECT_EQ(got, c.colour);
    }
}

// An ISO base media file's leading box: size, "ftyp", major brand, version 0, compatible brands.
QByteArray ftyp(const char* major, std::initializer_list<const char*> compatible) {
    QByteArray box = QByteArray(4, '\0') + "ftyp" + major + QByteArray(4, '\0');
    for (const char* brand : compatible)
        box += brand;
    qToBigEndian<quint32>(quint32(box.size()), box.data());
    return box + QByteArray("\0\0\0\x0Emeta", 8);
}

TEST(PictureKind, IsToldByTheFirstBytesOnly) {
    using enum PictureKind;
    const QByteArray emf = '\1' + QByteArray(39, '\0') + " EMF";
    const QByteArray svg = "<!-- drawn --><svg xmlns='http://www.w3.org/2000/svg'/>";
    // Unknown: cursors, icon directories without images, videos, ...; a brand among the
    // compatible ones tells an AVIF file.
    const struct {
        PictureKind kind;
        std::vector<QByteArray> heads;
    } cases[] = {
        {Bmp, {"BM\x36"}},
        {Jpeg, {"\xFF\xD8\xFF\xE0"}},
        {Gif, {"GIF87a", "GIF89a"}},
        {Ico, {QByteArray("\0\0\1\0\1\0", 6)}},
        {Wmf,
         {"\xD7\xCD\xC6\x9A", QByteArray("\1\0\x09\0\0\3", 6), QByteArray("\2\0\x09\0\0\1", 6)}},
        {Emf, {emf}},
        {Png, {"\x89PNG\r\n\x1A\n"}},
        {Webp, {QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16)}},
        {Tiff,
         {QByteArray("II*\0\x08\0\0\0", 8), QByteArray("MM\0*\0\0\0\x08", 8),
          QByteArray("II+\0\x08\0\0\0", 8), QByteArray("MM\0+\0\x08\0\0", 8)}},
        {Jxl, {"\xFF\x0A\xFA", QByteArray("\0\0\0\x0CJXL \r\n\x87\n\0\0", 14)}},
        {Svg,
         {svg, "\xEF\xBB\xBF<?xml version='1.0'?><!DOCTYPE svg [<!ENTITY a 'b'>]>" + svg,
          // gzip: its header, then zlib's deflate data (a head: no trailer)
          QByteArray("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10) + qCompress(svg).mid(6).chopped(4)}},
        {GnomeBackground, {"\xEF\xBB\xBF<?xml version='1.0'?><!DOCTYPE background><background>"}},
        {Heif, {ftyp("heic", {"mif1", "heic"}), ftyp("mif1", {}), ftyp("msf1", {"hevc"})}},
        {Avif, {ftyp("avif", {"mif1", "miaf"}), ftyp("mp42", {"isom", "avis"})}},
        {Unknown,
         {"GIF90a", QByteArray("\0\0\1\0\0\0", 6), QByteArray("\0\0\2\0\1\0", 6),
          QByteArray("\1\0\x0A\0\0\3", 6), QByteArray("\3\0\x09\0\0\3", 6), emf.left(43),
          emf.left(40) + "XEMF", QByteArray(), "B", "\x89PNG\r\n",
          QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), "<html><svg/></html>", "<svg",
          "<backgrounds><background/></backgrounds>", "<g:background xmlns:g='urn:x'/>",
          "<!--" + QByteArray(vlm::kPictureSniffBytes, ' ') + "--><background/>",
          ftyp("isom", {"mp41", "mp42"}), ftyp("heic", {}).replace(4, 4, "free")}},
    };
    for (const auto& [kind, heads] : cases)
        for (const QByteArray& bytes : heads)
            EXPECT_EQ(vlm::sniffPictureKind(bytes), kind) << bytes.toHex().toStdString();
}

// Truncated files, garbage and bombs end as a null image with a reason (or, where a frame merely
// claims a huge size, a picture within the box), without the memory running away.
TEST(PictureSource, RefusesHostileFilesAndSaysWhy) {
    const QByteArray bmp = encoded(pattern(64, 48), "bmp");
    const QByteArray jpeg = encoded(pattern(64, 48), "jpeg");
    const QByteArray png = encoded(pattern(32, 32), "png");
    const QByteArray bigGif = gif(64, 64, [](int x, int y) { return uchar(x ^ y); });
    QByteArray pngBomb = png; // IHDR width and height at 16 and 20, big-endian
    qToBigEndian<quint32>(30000, pngBomb.data() + 16);
    qToBigEndian<quint32>(30000, pngBomb.data() + 20);
    const auto tooLarge = PictureProblem::TooLarge;
    // A progressive JPEG passes over the picture once a scan; past a hundred scans it is refused
    // before anything is decoded.
    QByteArray manyScans = jpeg.left(jpeg.size() - 2);
    for (int scan = 0; scan < 101; ++scan)
        manyScans += QByteArray::fromHex("ffda0008010100003f00");
    const std::vector<Hostile> files = {
        {u"bmp-in-header.bmp"_s, bmp.left(30)},
        {u"bmp-headers-only.bmp"_s, bmp.left(54)},
        {u"bmp-half.bmp"_s, bmp.left(bmp.size() / 2)},
        {u"bmp-int-min-height.bmp"_s, bmpHeader(16, INT_MIN, 24) + QByteArray(64, '\x7f')},
        {u"bmp-huge-width.bmp"_s, bmpHeader(0x7fffffff, 1, 24) + QByteArray(64, '\x7f')},
        {u"bmp-bitfields-half.bmp"_s, bmpHeader(64, 48, 32, 3) + QByteArray(64 * 24 * 4, '\x7f')},
        {u"bmp-bomb.bmp"_s, bmpHeader(100000, 100000, 24) + QByteArray(16, '\0')},
        // RLE8: a few bytes that would paint 30000 x 30000 pixels.
        {u"bmp-rle-bomb.bmp"_s, bmpHeader(30000, 30000, 8, 1) + QByteArray(1024, '\0') +
                                    QByteArray::fromHex("ff01ff01ff010001")},
        {u"jpeg-soi-only.jpg"_s, jpeg.left(3)},
        {u"jpeg-half.jpg"_s, jpeg.left(jpeg.size() / 2)},
        // 200 megapixels pass the size check, one row more does not.
        {u"jpeg-at-the-cap.jpg"_s, jpegClaiming(20000, 10000), false, PictureProblem::Broken},
        {u"jpeg-many-scans.jpg"_s, manyScans + "\xFF\xD9", false, PictureProblem::Refused},
        {u"jpeg-bomb.jpg"_s, jpegClaiming(20000, 10001), false, tooLarge},
        {u"gif-in-header.gif"_s, QByteArray("GIF89a\x10\0", 8)},
        {u"gif-header-only.gif"_s, bigGif.left(13)},
        {u"gif-no-frame.gif"_s, bigGif.left(kGifDescriptor)},
        {u"gif-half.gif"_s, bigGif.left(bigGif.size() / 2)},
        {u"gif-bomb-screen.gif"_s, gifClaiming(16000, 16000, 4, 4), false, tooLarge},
        // A frame far larger than its screen is painted clipped to the screen.
        {u"gif-bomb-frame.ico"_s, gifClaiming(4, 4, 65535, 65535), true},
        {u"ico-directory-only.ico"_s, icon(0, 0, {}, 4096)},
        {u"ico-offset-past-end.ico"_s, icon(16, 16, QByteArray(40, '\0'), 4096, 0x7ffffff0)},
        {u"ico-65535-entries.ico"_s, icon(16, 16, QByteArray(64, '\0'), 40, 22, 65535)},
        {u"ico-png-bomb.ico"_s, icon(0, 0, pngBomb, quint32(pngBomb.size()))},
        {u"ico-bmp-bomb.ico"_s,
         icon(0, 0, bmpHeader(30000, 60000, 32).mid(14) + QByteArray(256, '\1'), 296)},
        {u"png-half.png"_s, png.left(png.size() / 2)},
        {u"png-bomb-named.jpg"_s, pngBomb},
        {u"text.jpg"_s, "this is not a picture\r\n", false, PictureProblem::UnknownKind},
    };
    QTemporaryDir dir;
    const QSize box(640, 480);
    expectRefused(dir, files, box);
    QDir(dir.path()).mkdir(u"folder.jpg"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"pipe.jpg"_s)).constData(), 0600), 0);
    const struct {
        QString path;
        PictureProblem problem;
    } missing[] = {{dir.filePath(u"missing.png"_s), PictureProblem::Missing},
                   {QString(), PictureProblem::Missing},
                   {dir.filePath(u"folder.jpg"_s), PictureProblem::Unreadable},
                   // a named pipe is not read (a reader would wait for a writer for ever)
                   {dir.filePath(u"pipe.jpg"_s), PictureProblem::Unreadable}};
    for (const auto& [path, problem] : missing)
        EXPECT_EQ(int(decodeNow(decodeHelper(), path).problem), int(problem)) << path.toStdString();
    // Without its helper a picture cannot be shown, and the reason says which kind it is.
    writeBytes(dir.filePath(u"p.png"_s), png);
    EXPECT_EQ(int(decodeNow(QString(), dir.filePath(u"p.png"_s)).problem),
              int(PictureProblem::UnknownKind));
}

TEST(FindDecodeHelper, BesideTheExecutableThenTheInstalledTreeThenTheEnvironment) {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath(u"usr/bin"_s);
    const QString fromEnvironment = writeScript(prefix.filePath(u"env/vlm-decode"_s), {});
    const ScopedEnv environment("VLM_DECODE_HELPER", fromEnvironment);
    if (!QFile::exists(QDir(QStringLiteral(VLM_INSTALL_LIBEXECDIR)).filePath(u"vlm-decode"_s))) {
        EXPECT_EQ(vlm::HelperPictureSource::findHelper(bin), fromEnvironment);
        QFile::setPermissions(fromEnvironment, QFileDevice::ReadOwner); // not executable
        EXPECT_EQ(vlm::HelperPictureSource::findHelper(bin), QString());
    }
    const QString libexec =
        QDir::cleanPath(bin + u"/"_s + QStringLiteral(VLM_LIBEXECDIR_FROM_BINDIR));
    for (const QString& helper : {libexec + u"/vlm-decode"_s, bin + u"/vlm-decode"_s}) {
        writeScript(helper, {});
        EXPECT_EQ(vlm::HelperPictureSource::findHelper(bin), helper);
    }
}

} // namespace
