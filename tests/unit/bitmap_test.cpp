#include "platform/picturesave.h"
#include "support/testfiles.h"
#include "wallpaper/bitmapheader.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using vlmtest::readBytes;
using vlmtest::writeBytes;

namespace {

QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x + y) % 256));
    return image;
}

} // namespace

TEST(WindowsBitmap, RoundTripsAsA24BitBottomUpFile) {
    QTemporaryDir dir;
    // Widths 1 to 5 cover every row padding; 1024 x 768 is the usual info line case.
    for (const QSize size :
         {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(5, 4), QSize(1024, 768)}) {
        const QString path = dir.filePath(u"vlmimage.bmp"_s);
        const QImage source = pattern(size.width(), size.height());
        QString error;
        ASSERT_TRUE(vlm::saveWindowsBitmap(source, path, &error)) << error.toStdString();

        const QByteArray bytes = readBytes(path);
        const int stride = (size.width() * 3 + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 54 + stride * size.height());
        EXPECT_TRUE(bytes.startsWith("BM"));
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 2), quint32(bytes.size()));
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 10), 54U);
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 14), 40U);
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 30), 0U); // uncompressed
        // The first stored row is the bottom one, blue first.
        const QRgb bottomLeft = source.pixel(0, size.height() - 1);
        EXPECT_EQ(uchar(bytes[54]), qBlue(bottomLeft));
        EXPECT_EQ(uchar(bytes[56]), qRed(bottomLeft));

        // Row padding is zero, and a picture of another pixel format gives the same file.
        for (int y = 0; y < size.height(); ++y)
            for (int pad = size.width() * 3; pad < stride; ++pad)
                EXPECT_EQ(bytes[54 + y * stride + pad], '\0');
        ASSERT_TRUE(vlm::saveWindowsBitmap(source.convertToFormat(QImage::Format_RGB888), path));
        EXPECT_EQ(readBytes(path), bytes);

        QImageReader reader(path);
        const QImage back = reader.read();
        ASSERT_EQ(back.size(), size) << reader.errorString().toStdString();
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), source);

        const vlm::BitmapInfo info = vlm::readBitmapHeader(path);
        EXPECT_EQ(info.width, size.width());
        EXPECT_EQ(info.height, size.height());
        EXPECT_EQ(info.bitsPerPixel, 24);
    }
    EXPECT_EQ(vlm::bitmapInfoLine(vlm::readBitmapHeader(dir.filePath(u"vlmimage.bmp"_s))),
              u"aktuální tapeta na pozadí: 1024 x 768 x 24bpp"_s);
}

TEST(WindowsBitmap, TransparencyIsLaidOnWhite) {
    QImage source(2, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(0, 0, 0, 0));
    source.setPixel(1, 0, qRgba(255, 0, 0, 255));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.bmp"_s);
    ASSERT_TRUE(vlm::saveWindowsBitmap(source, path));
    const QImage back(path);
    EXPECT_EQ(back.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(back.pixel(1, 0), qRgb(255, 0, 0));
}

TEST(WindowsBitmap, FailureLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"vlmimage.bmp"_s);
    writeBytes(path, "old");
    QString error;
    EXPECT_FALSE(vlm::saveWindowsBitmap(QImage(), path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_FALSE(vlm::saveWindowsBitmap(pattern(2, 2), dir.filePath(u"no/such/dir/a.bmp"_s)));
}

TEST(BitmapHeader, ReadsFieldsAtTheirOffsetsAndZeroesWhenShortOrMissing) {
    QTemporaryDir dir;
    QByteArray headers(54, '\0');
    headers[0] = 'B';
    headers[1] = 'M';
    qToLittleEndian<qint32>(-640, headers.data() + 18);
    qToLittleEndian<qint32>(-480, headers.data() + 22);
    qToLittleEndian<qint16>(32, headers.data() + 28);
    const QString path = dir.filePath(u"h.bmp"_s);
    writeBytes(path, headers);
    const vlm::BitmapInfo info = vlm::readBitmapHeader(path);
    EXPECT_EQ(vlm::bitmapInfoLine(info), u"aktuální tapeta na pozadí: -640 x -480 x 32bpp"_s);

    for (const QByteArray& shortFile : {headers.left(53), headers.left(14), QByteArray()}) {
        writeBytes(path, shortFile);
        const vlm::BitmapInfo none = vlm::readBitmapHeader(path);
        EXPECT_EQ(none.width, 0);
        EXPECT_EQ(none.height, 0);
        EXPECT_EQ(none.bitsPerPixel, 0);
    }
    EXPECT_EQ(vlm::bitmapInfoLine(vlm::readBitmapHeader(dir.filePath(u"missing.bmp"_s))),
              u"aktuální tapeta na pozadí: 0 x 0 x 0bpp"_s);
    EXPECT_EQ(vlm::bitmapInfoLine(vlm::readBitmapHeader(dir.path())),
              u"aktuální tapeta na pozadí: 0 x 0 x 0bpp"_s);
}
