#include "platform/picturesave.h"
#include "unit/picturebytes.h"
#include "wallpaper/bitmapheader.h"

#include <QImageReader>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace vlmtest;

namespace {

QString infoLine(const QString& path) {
    return vlm::bitmapInfoLine(vlm::readBitmapHeader(path));
}

// Bottom-up 24-bit rows, blue first: the header says so and Qt reads the source back.
TEST(WindowsBitmap, RoundTripsAs24BitBottomUpOnWhiteAndAFailureLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"vlmimage.bmp"_s);
    // Widths 1 to 5 cover every row padding.
    for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(5, 4), QSize(1024, 7)}) {
        const QImage source = pattern(size.width(), size.height());
        QString error;
        ASSERT_TRUE(vlm::saveWindowsBitmap(source, path, &error)) << error.toStdString();
        const QByteArray bytes = readBytes(path);
        const int stride = (size.width() * 3 + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 54 + stride * size.height());
        QByteArray header = bmpHeader(size.width(), size.height(), 24);
        put<quint32>(header, 2, quint32(bytes.size()));
        EXPECT_EQ(bytes.left(34), header.left(34));
        for (int y = 0; y < size.height(); ++y)
            for (int pad = size.width() * 3; pad < stride; ++pad)
                EXPECT_EQ(bytes[54 + y * stride + pad], '\0');
        EXPECT_EQ(QImageReader(path).read().convertToFormat(QImage::Format_RGB32), source);
        // Another pixel format gives the same file.
        ASSERT_TRUE(vlm::saveWindowsBitmap(source.convertToFormat(QImage::Format_RGB888), path));
        EXPECT_EQ(readBytes(path), bytes);
    }
    EXPECT_EQ(infoLine(path), u"aktuální tapeta na pozadí: 1024 x 7 x 24bpp"_s);

    // Transparency is laid on white, not on the colour it carries.
    QImage source(2, 1, QImage::Format_ARGB32);
    source.fill(Qt::red);
    source.setPixel(0, 0, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(vlm::saveWindowsBitmap(source, path));
    EXPECT_EQ(QImage(path).pixel(0, 0), qRgb(255, 255, 255));
    QString error;
    EXPECT_FALSE(vlm::saveWindowsBitmap(QImage(), path, &error) || error.isEmpty());
    EXPECT_EQ(QImage(path).pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_FALSE(vlm::saveWindowsBitmap(source, dir.filePath(u"no/such/dir/a.bmp"_s)));
}

TEST(BitmapHeader, ReadsSignedFieldsAtTheirOffsetsAndZeroesWhenShortOrMissing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"h.bmp"_s);
    const QByteArray headers = bmpHeader(-640, -480, 32);
    writeBytes(path, headers);
    EXPECT_EQ(infoLine(path), u"aktuální tapeta na pozadí: -640 x -480 x 32bpp"_s);
    for (const QByteArray& shortFile : {headers.left(53), headers.left(14), QByteArray()}) {
        writeBytes(path, shortFile);
        EXPECT_EQ(infoLine(path), u"aktuální tapeta na pozadí: 0 x 0 x 0bpp"_s);
    }
    EXPECT_EQ(infoLine(dir.filePath(u"missing.bmp"_s)), infoLine(path));
    EXPECT_EQ(infoLine(dir.path()), infoLine(path));
}

} // namespace
