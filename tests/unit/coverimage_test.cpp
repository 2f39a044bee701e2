#include "platform/largeimage.h"
#include "unit/picturebytes.h"
#include "wallpaper/backends/coverimage.h"

#include <QPainter>
#include <gtest/gtest.h>

using vlm::coverImage;
using vlm::PixelLayout;

// A picture 2, 3 or 4 times the screen's size (4K on 1080p) is shrunk by averaging whole blocks,
// as smooth scaling does, so detail is not aliased. Other sizes are cropped evenly first.
TEST(CoverImage, CropsEvenlyAveragesWholeRatiosAndFlattensTransparency) {
    for (const int factor : {2, 3, 4}) {
        const QImage source = vlmtest::pattern(48 * factor, 27 * factor);
        const QImage covered = coverImage(source, QSize(48, 27));
        ASSERT_TRUE(covered.size() == QSize(48, 27) && covered.format() == QImage::Format_RGB32);
        const QImage smooth =
            source.scaled(48, 27, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LE(vlmtest::difference(covered, smooth).largest, 2) << factor;
    }

    // The mean of each block, rounded: 2 x 2 blocks of black, white, red and blue.
    const QRgb other = qRgb(10, 20, 30), blocks[] = {0xff000000, 0xffffffff, other, other,
                                                     0xffff0000, 0xff0000ff, other, other};
    const QImage halved = coverImage(
        QImage(reinterpret_cast<const uchar*>(blocks), 4, 2, QImage::Format_RGB32), QSize(2, 1));
    EXPECT_EQ(halved.pixel(0, 0), qRgb(128, 64, 128));
    EXPECT_EQ(halved.pixel(1, 0), other);

    // A wider picture is cropped evenly first; the middle then shrinks by 2 exactly.
    QImage wide(200, 54, QImage::Format_RGB32);
    wide.fill(Qt::white);
    QPainter(&wide).fillRect(52, 0, 96, 54, QColor(0, 128, 0));
    const QImage cropped = coverImage(wide, QSize(48, 27));
    EXPECT_EQ(cropped.pixel(0, 0), qRgb(0, 128, 0));
    EXPECT_EQ(cropped.pixel(47, 26), qRgb(0, 128, 0));

    // A taller one from top and bottom: at scale 2 the middle 50 rows (175..225) fill the
    // target. Transparent parts become white, as in the bitmap, not the colour they carry.
    QImage tall(100, 400, QImage::Format_ARGB32);
    tall.fill(Qt::transparent);
    QPainter(&tall).fillRect(0, 150, 100, 100, QColor(0, 0, 255));
    const QImage covered = coverImage(tall, QSize(200, 100));
    ASSERT_TRUE(covered.size() == QSize(200, 100) && covered.format() == QImage::Format_RGB32);
    EXPECT_EQ(covered.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(covered.pixel(199, 99), qRgb(0, 0, 255));
    EXPECT_EQ(coverImage(tall, QSize(25, 100)).pixel(12, 5), qRgb(255, 255, 255));
    EXPECT_TRUE(coverImage(QImage(), QSize(10, 10)).isNull());
    EXPECT_TRUE(coverImage(tall, QSize(0, 10)).isNull());
}

TEST(PackPixels, GenericPackingMatchesTheServersLayouts) {
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(0x12, 0x34, 0x56), qRgb(255, 255, 255), qRgb(0, 0, 0),
                            qRgb(255, 0, 0),        qRgb(0, 255, 0),     qRgb(0, 0, 255)};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, colours[i]);
    // The layout, the first row and how many, and the bytes (empty: refused).
    const std::tuple<PixelLayout, int, int, QByteArray> cases[] = {
        // the server's usual layout is exactly QImage's RGB32 in memory
        {{}, 0, 1, "563412ffffffffff000000ff"},
        // 3 pixels * 3 bytes = 9, padded to 12; most significant byte first
        {{24, 32, 0xff0000, 0xff00, 0xff, true}, 0, 1, "123456ffffff000000000000"},
        {{16, 32, 0xf800, 0x07e0, 0x001f, false}, 1, 1, "00f8e0071f000000"},
        {{32, 32, 0xff, 0xff00, 0xff0000, false}, 1, 1, "ff00000000ff00000000ff00"},
        {{12, 32, 0xf00, 0xf0, 0xf, false}, 0, 1, ""},
        {{}, 1, 2, ""}, // rows beyond the image
    };
    for (const auto& [layout, first, rows, hex] : cases)
        EXPECT_EQ(packPixels(image, layout, first, rows).toHex(), hex)
            << layout.bitsPerPixel << " bits, rows " << first << '+' << rows;
}

// The pages of a screen's picture just freed serve the next one, which the kernel would otherwise
// clear again; a picture over twice their size gets pages of its own and leaves them kept.
TEST(LargeImage, TheLastFreedPagesServeTheNextPictureOfTheirSize) {
    QImage first = vlm::newLargeImage(QSize(1920, 1080));
    ASSERT_FALSE(first.isNull());
    const uchar* pages = first.constBits();
    first = QImage();
    QImage second = vlm::newLargeImage(QSize(1920, 1080), QImage::Format_ARGB32);
    EXPECT_EQ(second.constBits(), pages);
    EXPECT_EQ(second.format(), QImage::Format_ARGB32);
    second = QImage();
    const QImage larger = vlm::newLargeImage(QSize(3840, 2160));
    EXPECT_NE(larger.constBits(), pages);
    EXPECT_EQ(vlm::newLargeImage(QSize(1920, 1080)).constBits(), pages);
}
