#include "platform/picturekind.h"
#include "platform/pictureloader.h"
#include "support/testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using vlm::PictureKind;
using vlm::PictureLoader;
using vlmtest::encoded;
using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
    return image;
}

template <typename T> void put(QByteArray& bytes, qsizetype offset, T value) {
    qToLittleEndian(value, bytes.data() + offset);
}

// Qt writes no GIF, so the test encodes one: a 128-colour palette keeps every LZW code at
// 8 bits as long as a clear code comes before the table fills.
QByteArray gif(int width, int height, const std::function<uchar(int, int)>& index) {
    QByteArray bytes("GIF89a");
    bytes += QByteArray(7, '\0');
    put<quint16>(bytes, 6, quint16(width));
    put<quint16>(bytes, 8, quint16(height));
    bytes[10] = char(0x80 | 6); // global colour table of 2^(6+1) entries
    for (int i = 0; i < 128; ++i)
        for (const int channel : {i * 2, 255 - i * 2, i})
            bytes += char(channel);
    QByteArray descriptor(10, '\0');
    descriptor[0] = ',';
    put<quint16>(descriptor, 5, quint16(width));
    put<quint16>(descriptor, 7, quint16(height));
    bytes += descriptor;
    bytes += char(7); // minimum code size
    QByteArray codes;
    int sinceClear = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (sinceClear++ % 100 == 0)
                codes += char(128);
            codes += char(index(x, y) & 0x7f);
        }
    codes += char(129);
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        bytes += char(block.size());
        bytes += block;
    }
    bytes += '\0';
    bytes += ';';
    return bytes;
}

class PictureLoaderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QImage load(const QString& name) const { return loader_.load(path(name)); }

    QTemporaryDir dir_;
    PictureLoader loader_{QString(), QSize(800, 600)};
};

} // namespace

TEST_F(PictureLoaderTest, LoadsEveryQtFormatWhateverTheExtension) {
    const QImage source = pattern(40, 30);
    writeBytes(path(u"plain.bmp"_s), encoded(source, "bmp"));
    writeBytes(path(u"windows.dib"_s), encoded(source, "bmp"));
    writeBytes(path(u"photo.jpg"_s), encoded(source, "jpeg"));
    writeBytes(path(u"photo-named.gif"_s), encoded(source, "jpeg"));
    writeBytes(path(u"noext"_s), encoded(source, "bmp"));
    writeBytes(path(u"icon.ico"_s), encoded(pattern(32, 32), "ico"));
    writeBytes(path(u"anim.gif"_s), gif(40, 30, [](int x, int y) { return uchar(x + y); }));

    for (const QString& name : {u"plain.bmp"_s, u"windows.dib"_s, u"noext"_s}) {
        const QImage image = load(name);
        ASSERT_EQ(image.size(), QSize(40, 30)) << name.toStdString();
        EXPECT_EQ(image.pixel(39, 29), source.pixel(39, 29)) << name.toStdString();
    }
    for (const QString& name : {u"photo.jpg"_s, u"photo-named.gif"_s}) {
        const QImage image = load(name);
        ASSERT_EQ(image.size(), QSize(40, 30)) << name.toStdString();
        EXPECT_NEAR(qRed(image.pixel(39, 15)), qRed(source.pixel(39, 15)), 24);
    }
    EXPECT_EQ(load(u"icon.ico"_s).size(), QSize(32, 32));
    const QImage decoded = load(u"anim.gif"_s);
    ASSERT_EQ(decoded.size(), QSize(40, 30));
    EXPECT_EQ(decoded.pixel(10, 5), qRgb(30, 225, 15)); // palette entry 15
}

TEST_F(PictureLoaderTest, IconGivesItsLargestSize) {
    // Two single-image icons from Qt joined into one directory: 16 x 16 first, then 64 x 64.
    const QByteArray small = encoded(pattern(16, 16), "ico");
    const QByteArray large = encoded(pattern(64, 64), "ico");
    QByteArray icon = small.left(6);
    put<quint16>(icon, 4, 2);
    QByteArray first = small.mid(6, 16);
    QByteArray second = large.mid(6, 16);
    const QByteArray firstData = small.mid(22);
    put<quint32>(first, 12, 6 + 32);
    put<quint32>(second, 12, quint32(6 + 32 + firstData.size()));
    icon += first + second + firstData + large.mid(22);
    writeBytes(path(u"two.ico"_s), icon);
    EXPECT_EQ(load(u"two.ico"_s).size(), QSize(64, 64));
}

TEST_F(PictureLoaderTest, DecompressionBombsAreRefusedBeforeDecoding) {
    QByteArray bmp(70, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    put<quint32>(bmp, 2, 70);
    put<quint32>(bmp, 10, 54);
    put<quint32>(bmp, 14, 40);
    put<qint32>(bmp, 18, 100000);
    put<qint32>(bmp, 22, 100000);
    put<quint16>(bmp, 26, 1);
    put<quint16>(bmp, 28, 24);
    writeBytes(path(u"bomb.bmp"_s), bmp);

    // A real JPEG whose frame header is rewritten to claim 65000 x 65000.
    QByteArray jpeg = encoded(pattern(16, 16), "jpeg");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(65000, jpeg.data() + sof + 5);
    qToBigEndian<quint16>(65000, jpeg.data() + sof + 7);
    writeBytes(path(u"bomb.jpg"_s), jpeg);

    QByteArray bigGif = gif(2, 2, [](int, int) { return uchar(1); });
    put<quint16>(bigGif, 6, 65535);
    put<quint16>(bigGif, 8, 65535);
    const qsizetype descriptor = 13 + 128 * 3;
    put<quint16>(bigGif, descriptor + 5, 65535);
    put<quint16>(bigGif, descriptor + 7, 65535);
    writeBytes(path(u"bomb.gif"_s), bigGif);

    for (const QString& name : {u"bomb.bmp"_s, u"bomb.jpg"_s, u"bomb.gif"_s}) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(load(name).isNull()) << name.toStdString();
        EXPECT_LT(timer.elapsed(), 2000) << name.toStdString();
    }
}

TEST_F(PictureLoaderTest, AnEightKPictureStillLoads) {
    QImage big(7680, 4320, QImage::Format_RGB32);
    big.fill(Qt::darkCyan);
    ASSERT_TRUE(big.save(path(u"8k.bmp"_s), "bmp"));
    EXPECT_EQ(load(u"8k.bmp"_s).size(), QSize(7680, 4320));
}

TEST_F(PictureLoaderTest, LoadingLeavesTheDecoderCapToTheProgram) {
    const int programs = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(programs + 1);
    writeBytes(path(u"small.bmp"_s), encoded(pattern(8, 8), "bmp"));
    EXPECT_FALSE(load(u"small.bmp"_s).isNull());
    EXPECT_EQ(QImageReader::allocationLimit(), programs + 1)
        << "a load changed the whole program's cap";
    QImageReader::setAllocationLimit(programs);
}

TEST_F(PictureLoaderTest, BrokenAndNonPictureFilesGiveANullImage) {
    const QByteArray bmp = encoded(pattern(64, 64), "bmp");
    const QByteArray jpeg = encoded(pattern(64, 64), "jpeg");
    writeBytes(path(u"empty.bmp"_s), {});
    writeBytes(path(u"bmp-in-header.bmp"_s), bmp.left(30));
    writeBytes(path(u"bmp-half-pixels.bmp"_s), bmp.left(54 + 64 * 32 * 3));
    writeBytes(path(u"jpeg-in-header.jpg"_s), jpeg.left(100));
    writeBytes(path(u"jpeg-half.jpg"_s), jpeg.left(jpeg.size() / 2));
    const QByteArray fullGif = gif(64, 64, [](int x, int y) { return uchar(x ^ y); });
    writeBytes(path(u"gif-half.gif"_s), fullGif.left(fullGif.size() / 2));
    writeBytes(path(u"gif-in-header.gif"_s), QByteArray("GIF89a\x10\0"));
    writeBytes(path(u"text.jpg"_s), "this is not a picture\r\n");
    writeBytes(path(u"png.bmp"_s), encoded(pattern(8, 8), "png"));
    writeBytes(path(u"magic-only.bmp"_s), "BM");
    QDir(dir_.path()).mkdir(u"folder.jpg"_s);

    for (const QString& name :
         {u"empty.bmp"_s, u"bmp-in-header.bmp"_s, u"bmp-half-pixels.bmp"_s, u"jpeg-in-header.jpg"_s,
          u"jpeg-half.jpg"_s, u"gif-half.gif"_s, u"gif-in-header.gif"_s, u"text.jpg"_s,
          u"png.bmp"_s, u"magic-only.bmp"_s, u"folder.jpg"_s, u"missing.jpg"_s}) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(load(name).isNull()) << name.toStdString();
        EXPECT_LT(timer.elapsed(), 1000) << name.toStdString();
    }
    EXPECT_TRUE(loader_.load(QString()).isNull());
}

TEST_F(PictureLoaderTest, UnreadableFileGivesANullImage) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their permissions";
    writeBytes(path(u"locked.bmp"_s), encoded(pattern(8, 8), "bmp"));
    QFile::setPermissions(path(u"locked.bmp"_s), QFileDevice::WriteOwner);
    EXPECT_TRUE(load(u"locked.bmp"_s).isNull());
}

TEST_F(PictureLoaderTest, MetafilesWithoutAHelperGiveANullImage) {
    QByteArray emf(88, '\0');
    put<quint32>(emf, 0, 1);
    emf.replace(40, 4, " EMF");
    writeBytes(path(u"a.emf"_s), emf);
    EXPECT_TRUE(load(u"a.emf"_s).isNull());
}

TEST(PictureKind, IsToldByTheFirstBytesOnly) {
    using enum PictureKind;
    EXPECT_EQ(vlm::sniffPictureKind("BM\x36\0\0\0"), Bmp);
    EXPECT_EQ(vlm::sniffPictureKind("\xFF\xD8\xFF\xE0"), Jpeg);
    EXPECT_EQ(vlm::sniffPictureKind("GIF87a"), Gif);
    EXPECT_EQ(vlm::sniffPictureKind("GIF89a"), Gif);
    EXPECT_EQ(vlm::sniffPictureKind("GIF90a"), Unknown);
    EXPECT_EQ(vlm::sniffPictureKind(QByteArrayView("\0\0\1\0\1\0", 6)), Ico);
    EXPECT_EQ(vlm::sniffPictureKind(QByteArrayView("\0\0\1\0\0\0", 6)), Unknown); // no images
    EXPECT_EQ(vlm::sniffPictureKind(QByteArrayView("\0\0\2\0\1\0", 6)), Unknown); // cursor
    EXPECT_EQ(vlm::sniffPictureKind("\xD7\xCD\xC6\x9A"), Wmf);
    EXPECT_EQ(vlm::sniffPictureKind(QByteArrayView("\1\0\x09\0\0\3", 6)), Wmf);
    EXPECT_EQ(vlm::sniffPictureKind(QByteArrayView("\2\0\x09\0\0\1", 6)), Wmf);
    EXPECT_EQ(vlm::sniffPictureKind(QByteArrayView("\1\0\x0A\0\0\3", 6)), Unknown);
    EXPECT_EQ(vlm::sniffPictureKind(QByteArrayView("\3\0\x09\0\0\3", 6)), Unknown);

    QByteArray emf(44, '\0');
    emf[0] = 1;
    emf.replace(40, 4, " EMF");
    EXPECT_EQ(vlm::sniffPictureKind(emf), Emf);
    EXPECT_EQ(vlm::sniffPictureKind(emf.left(43)), Unknown);
    emf[40] = 'X';
    EXPECT_EQ(vlm::sniffPictureKind(emf), Unknown);
    EXPECT_EQ(vlm::sniffPictureKind({}), Unknown);
    EXPECT_EQ(vlm::sniffPictureKind("B"), Unknown);
}

TEST(FindMetafileHelper, PrefersTheOneBesideTheExecutable) {
    QTemporaryDir folder;
    QTemporaryDir other;
    const QString beside = folder.filePath(u"vlm-metafile"_s);
    const QString fromEnvironment = other.filePath(u"vlm-metafile"_s);
    for (const QString& file : {beside, fromEnvironment}) {
        writeBytes(file, "#!/bin/sh\n");
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    const QByteArray saved = qgetenv("VLM_METAFILE_HELPER");
    qputenv("VLM_METAFILE_HELPER", fromEnvironment.toLocal8Bit());
    EXPECT_EQ(PictureLoader::findMetafileHelper(folder.path()), beside);
    if (!QFile::exists(QDir(QStringLiteral(VLM_INSTALL_LIBEXECDIR)).filePath(u"vlm-metafile"_s))) {
        EXPECT_EQ(PictureLoader::findMetafileHelper(other.path() + u"/none"_s), fromEnvironment);
        QFile::setPermissions(fromEnvironment, QFileDevice::ReadOwner); // not executable
        EXPECT_EQ(PictureLoader::findMetafileHelper(QString()), QString());
    }
    if (saved.isNull())
        qunsetenv("VLM_METAFILE_HELPER");
    else
        qputenv("VLM_METAFILE_HELPER", saved);
}
