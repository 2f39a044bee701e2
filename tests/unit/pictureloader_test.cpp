#include "platform/picturekind.h"
#include "platform/pictureloader.h"
#include "unit/picturebytes.h"
#include "unit/scratch.h"

#include <QDir>
#include <QImageReader>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace vlmtest;
using vlm::PictureKind;
using vlm::PictureLoader;

namespace {

TEST(PictureLoader, LoadsEachFormatByItsBytesWhateverTheName) {
    QTemporaryDir dir;
    const QImage source = pattern(40, 30);
    // Two single-image icons joined into one directory, 16 x 16 first: the largest is taken.
    const QByteArray small = encoded(pattern(16, 16), "ico");
    const QByteArray large = encoded(pattern(64, 64), "ico");
    QByteArray twoIcons = small.left(6) + small.mid(6, 16) + large.mid(6, 16);
    put<quint16>(twoIcons, 4, 2);
    put<quint32>(twoIcons, 6 + 12, 6 + 32);
    put<quint32>(twoIcons, 22 + 12, quint32(6 + 32 + small.size() - 22));
    twoIcons += small.mid(22) + large.mid(22);
    // A graphic control extension before the frame, as most GIFs have.
    const QByteArray anim = gif(40, 30, [](int x, int y) {
                                return uchar(x + y);
                            }).insert(kGifDescriptor, QByteArray("!\xF9\x04\0\0\0\0\0", 8));
    struct Case {
        QString name;
        QByteArray bytes;
        QSize size;
        QPoint at;
        QRgb colour; // exact unless the format is lossy
        bool lossy = false;
    };
    std::vector<Case> cases = {
        {u"plain.bmp"_s, encoded(source, "bmp"), {40, 30}, {39, 29}, source.pixel(39, 29)},
        {u"windows.dib"_s, encoded(source, "bmp"), {40, 30}, {3, 2}, source.pixel(3, 2)},
        {u"noext"_s, encoded(source, "bmp"), {40, 30}, {39, 29}, source.pixel(39, 29)},
        {u"photo.jpg"_s, encoded(source, "jpeg"), {40, 30}, {39, 15}, source.pixel(39, 15), true},
        {u"photo-named.gif"_s,
         encoded(source, "jpeg"),
         {40, 30},
         {39, 15},
         source.pixel(39, 15),
         true},
        {u"anim.gif"_s, anim, {40, 30}, {10, 5}, qRgb(30, 225, 15)}, // palette entry 15
        {u"icon.ico"_s,
         encoded(pattern(32, 32), "ico"),
         {32, 32},
         {1, 1},
         pattern(32, 32).pixel(1, 1)},
        {u"two.ico"_s, twoIcons, {64, 64}, {63, 63}, pattern(64, 64).pixel(63, 63)},
    };
    // PNG: 16 bits with alpha (a half-transparent pixel), and a palette.
    QImage deep = source.convertToFormat(QImage::Format_RGBA64);
    deep.setPixelColor(39, 29, QColor(10, 20, 30, 128));
    const QImage palette = source.convertToFormat(QImage::Format_Indexed8);
    const struct {
        QString name;
        QByteArray bytes;
        QPoint at;
        QRgb colour;
    } pngs[] = {
        {u"image.png"_s, encoded(source, "png"), {39, 29}, source.pixel(39, 29)},
        {u"png-named.jpg"_s, encoded(source, "png"), {3, 2}, source.pixel(3, 2)},
        {u"deep.png"_s, encoded(deep, "png"), {39, 29}, qRgba(10, 20, 30, 128)},
        {u"palette.png"_s, encoded(palette, "png"), {39, 29}, palette.pixel(39, 29)},
    };
    for (const auto& png : pngs)
        cases.push_back({png.name, png.bytes, {40, 30}, png.at, png.colour});
    const PictureLoader loader(QString(), QSize(800, 600));
    for (const auto& c : cases) {
        writeBytes(dir.filePath(c.name), c.bytes);
        const QImage image = loader.load(dir.filePath(c.name));
        ASSERT_EQ(image.size(), c.size) << c.name.toStdString();
        const QRgb got = image.pixel(c.at);
        EXPECT_EQ(qAlpha(got), qAlpha(c.colour)) << c.name.toStdString();
        if (c.lossy)
            EXPECT_NEAR(qRed(got), qRed(c.colour), 24) << c.name.toStdString();
        else
            EXPECT_EQ(got, c.colour) << c.name.toStdString();
    }
}

TEST(PictureLoader, AnEightKPictureLoadsAndTheDecoderCapStaysTheProgramsOwn) {
    QTemporaryDir dir;
    QImage big(7680, 4320, QImage::Format_RGB32);
    big.fill(Qt::darkCyan);
    ASSERT_TRUE(big.save(dir.filePath(u"8k.bmp"_s), "bmp"));
    const int programs = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(programs + 1);
    EXPECT_EQ(PictureLoader(QString(), {800, 600}).load(dir.filePath(u"8k.bmp"_s)).size(),
              QSize(7680, 4320));
    EXPECT_EQ(QImageReader::allocationLimit(), programs + 1) << "a load changed the cap";
    QImageReader::setAllocationLimit(programs);
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
    QByteArray emf(44, '\0');
    emf[0] = 1;
    emf.replace(40, 4, " EMF");
    QByteArray notEmf = emf;
    notEmf[40] = 'X';
    const std::pair<QByteArray, PictureKind> cases[] = {
        {"BM\x36", Bmp},
        {"\xFF\xD8\xFF\xE0", Jpeg},
        {"GIF87a", Gif},
        {"GIF89a", Gif},
        {"GIF90a", Unknown},
        {QByteArray("\0\0\1\0\1\0", 6), Ico},
        {QByteArray("\0\0\1\0\0\0", 6), Unknown}, // no images
        {QByteArray("\0\0\2\0\1\0", 6), Unknown}, // a cursor
        {"\xD7\xCD\xC6\x9A", Wmf},
        {QByteArray("\1\0\x09\0\0\3", 6), Wmf},
        {QByteArray("\2\0\x09\0\0\1", 6), Wmf},
        {QByteArray("\1\0\x0A\0\0\3", 6), Unknown},
        {QByteArray("\3\0\x09\0\0\3", 6), Unknown},
        {emf, Emf},
        {emf.left(43), Unknown},
        {notEmf, Unknown},
        {{}, Unknown},
        {"B", Unknown},
        {"\x89PNG\r\n\x1A\n", Png},
        {"\x89PNG\r\n", Unknown},
        {QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16), Webp},
        {QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), Unknown},
        {QByteArray("II*\0\x08\0\0\0", 8), Tiff},
        {QByteArray("MM\0*\0\0\0\x08", 8), Tiff},
        {QByteArray("II+\0", 4), Unknown},
        {ftyp("heic", {"mif1", "heic"}), Heif},
        {ftyp("mif1", {}), Heif},
        {ftyp("msf1", {"hevc"}), Heif},
        {ftyp("avif", {"mif1", "miaf"}), Avif},
        {ftyp("mp42", {"isom", "avis"}), Avif},    // a brand among the compatible ones
        {ftyp("isom", {"mp41", "mp42"}), Unknown}, // a video
        {ftyp("heic", {}).replace(4, 4, "free"), Unknown},
    };
    for (const auto& [bytes, kind] : cases)
        EXPECT_EQ(vlm::sniffPictureKind(bytes), kind) << bytes.toHex().toStdString();
}

TEST(PictureLoader, AFailedLoadSaysWhy) {
    QTemporaryDir dir;
    const struct {
        QString name;
        QByteArray bytes;
        QString reason;
    } cases[] = {
        // 14142 x 14142 lies under the cap, 14143 x 14143 over it.
        {u"at-cap.jpg"_s, jpegClaiming(14142), u"broken or ends early"_s},
        {u"over-cap.jpg"_s, jpegClaiming(14143), u"more than the program shows (200 megapixels"_s},
        {u"text.jpg"_s, "plain text", u"not a picture of a kind"_s},
        {u"photo.webp"_s, QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16),
         u"vlm-metafile, which decodes this kind, is missing"_s},
    };
    const PictureLoader loader(QString(), QSize(800, 600));
    for (const auto& c : cases) {
        writeBytes(dir.filePath(c.name), c.bytes);
        QString whyNot;
        EXPECT_TRUE(loader.load(dir.filePath(c.name), {}, &whyNot).isNull());
        EXPECT_TRUE(whyNot.contains(c.reason)) << whyNot.toStdString();
    }
    QString whyNot;
    loader.load(dir.filePath(u"missing.png"_s), {}, &whyNot);
    EXPECT_EQ(whyNot, u"the file does not exist"_s);
}

TEST(FindMetafileHelper, BesideTheExecutableThenTheInstalledTreeThenTheEnvironment) {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath(u"usr/bin"_s);
    const auto executable = [](const QString& path) { return writeScript(path, {}); };
    const QString fromEnvironment = executable(prefix.filePath(u"env/vlm-metafile"_s));
    const ScopedEnv environment("VLM_METAFILE_HELPER", fromEnvironment);
    if (!QFile::exists(QDir(QStringLiteral(VLM_INSTALL_LIBEXECDIR)).filePath(u"vlm-metafile"_s))) {
        EXPECT_EQ(PictureLoader::findMetafileHelper(bin), fromEnvironment);
        QFile::setPermissions(fromEnvironment, QFileDevice::ReadOwner); // not executable
        EXPECT_EQ(PictureLoader::findMetafileHelper(bin), QString());
    }
    const QString installed =
        executable(QDir::cleanPath(bin + u"/"_s + QStringLiteral(VLM_LIBEXECDIR_FROM_BINDIR)) +
                   u"/vlm-metafile"_s);
    EXPECT_EQ(PictureLoader::findMetafileHelper(bin), installed);
    const QString beside = executable(bin + u"/vlm-metafile"_s);
    EXPECT_EQ(PictureLoader::findMetafileHelper(bin), beside);
}

} // namespace
