#include "unit/picturebytes.h"
#include "wallpaper/backends/coverimage.h"

#include <QPainter>
#include <gtest/gtest.h>

using vlm::coverImage;

namespace {

QImage detailed(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x ^ y) & 0xff, (x * y) % 251));
    return image;
}

} // namespace

// A picture exactly 2, 3 or 4 times the screen's size (a 4K photograph on a 1080p screen) is
// shrunk by averaging whole blocks: the same pixels smooth scaling gives, to rounding, so
// fine detail is averaged away rather than aliased.
TEST(CoverImage, WholeRatiosAverageLikeSmoothScaling) {
    for (const int factor : {2, 3, 4}) {
        SCOPED_TRACE(factor);
        const QImage source = detailed(48 * factor, 27 * factor);
        const QImage covered = coverImage(source, QSize(48, 27));
        ASSERT_EQ(covered.size(), QSize(48, 27));
        EXPECT_EQ(covered.format(), QImage::Format_RGB32);
        const QImage smooth =
            source.scaled(48, 27, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LE(vlmtest::difference(covered, smooth).largest, 2);
    }

    // The mean of each block, rounded: 2 x 2 blocks of black, white, red and blue.
    QImage blocks(4, 2, QImage::Format_RGB32);
    blocks.fill(qRgb(10, 20, 30));
    blocks.setPixel(0, 0, qRgb(0, 0, 0));
    blocks.setPixel(1, 0, qRgb(255, 255, 255));
    blocks.setPixel(0, 1, qRgb(255, 0, 0));
    blocks.setPixel(1, 1, qRgb(0, 0, 255));
    const QImage halved = coverImage(blocks, QSize(2, 1));
    EXPECT_EQ(halved.pixel(0, 0), qRgb(128, 64, 128));
    EXPECT_EQ(halved.pixel(1, 0), qRgb(10, 20, 30));

    // A wider picture is cropped evenly first; the middle then shrinks by 2 exactly.
    QImage wide(200, 54, QImage::Format_RGB32);
    wide.fill(Qt::white);
    QPainter(&wide).fillRect(52, 0, 96, 54, QColor(0, 128, 0));
    const QImage cropped = coverImage(wide, QSize(48, 27));
    EXPECT_EQ(cropped.pixel(0, 0), qRgb(0, 128, 0));
    EXPECT_EQ(cropped.pixel(47, 26), qRgb(0, 128, 0));
}
