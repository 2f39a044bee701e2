#include "wallpaper/backends/coverimage.h"

#include "platform/largeimage.h"

#include <QPainter>
#include <QSysInfo>
#include <algorithm>
#include <bit>
#include <cmath>

namespace vlm {
namespace {

// Transparent parts on white, as the bitmap has them, so the desktop shows what it holds.
QImage opaque(const QImage& picture) {
    if (!picture.hasAlphaChannel())
        return picture;
    QImage result(picture.size(), QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.drawImage(0, 0, picture);
    painter.end();
    return result;
}

// Scales a colour channel (0..255) into the bits of mask.
quint32 placeChannel(quint32 value, quint32 mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const quint32 maximum = mask >> shift;
    return ((value * maximum + 127) / 255) << shift;
}

// The largest whole-number ratio shrinkByWholeFactor takes: 16 x 16 channel values of 255 still
// fit the 16 bits each channel sum has.
constexpr int kMaxWholeFactor = 16;

// Red and blue, and green, of one RGB32 pixel apart, so that sums of up to 256 pixels stay
// within their 16-bit lanes.
constexpr quint32 kRedBlue = 0x00ff00ff;
constexpr quint32 kGreen = 0x0000ff00;

// source (RGB32) made factor times smaller: each pixel is the rounded mean of a factor x factor
// block. For a whole-number ratio that is the area average smooth scaling computes, for a
// fraction of its work (a 4K photograph on a 1080p screen is the common case, factor 2).
QImage shrinkByWholeFactor(const QImage& source, int factor) {
    const int width = source.width() / factor;
    const int height = source.height() / factor;
    QImage result = newLargeImage(QSize(width, height));
    if (result.isNull())
        return result;
    if (factor == 2) {
        for (int y = 0; y < height; ++y) {
            const auto* top = reinterpret_cast<const quint32*>(source.constScanLine(2 * y));
            const auto* bottom = reinterpret_cast<const quint32*>(source.constScanLine(2 * y + 1));
            auto* out = reinterpret_cast<quint32*>(result.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const quint32 a = top[2 * x], b = top[2 * x + 1];
                const quint32 c = bottom[2 * x], d = bottom[2 * x + 1];
                const quint32 redBlue =
                    (a & kRedBlue) + (b & kRedBlue) + (c & kRedBlue) + (d & kRedBlue) + 0x00020002;
                const quint32 green =
                    (a & kGreen) + (b & kGreen) + (c & kGreen) + (d & kGreen) + 0x200;
                out[x] = 0xff000000 | ((redBlue >> 2) & kRedBlue) | ((green >> 2) & kGreen);
            }
        }
        return result;
    }
    const quint32 area = quint32(factor * factor);
    // (sum * reciprocal) >> 32 is sum / area, exact for sums below 2^17.
    const quint64 reciprocal = ((quint64{1} << 32) + area - 1) / area;
    const auto mean = [&](quint32 sum) { return quint32((sum + area / 2) * reciprocal >> 32); };
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<quint32*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            quint32 redBlue = 0;
            quint32 green = 0;
            for (int row = 0; row < factor; ++row) {
                const auto* in =
                    reinterpret_cast<const quint32*>(source.constScanLine(y * factor + row)) +
                    qsizetype(x) * factor;
                for (int i = 0; i < factor; ++i) {
                    redBlue += in[i] & kRedBlue;
                    green += in[i] & kGreen;
                }
            }
            out[x] = 0xff000000 | (mean(redBlue >> 16) << 16) | mean(redBlue & 0xffff) |
                     (mean(green >> 8) << 8);
        }
    }
    return result;
}

} // namespace

QImage coverImage(const QImage& picture, QSize target) {
    if (picture.isNull() || target.isEmpty())
        return {};
    const QImage source = opaque(picture);
    const double scale = std::max(double(target.width()) / source.width(),
                                  double(target.height()) / source.height());
    const int cropWidth = std::clamp(int(std::lround(target.width() / scale)), 1, source.width());
    const int cropHeight =
        std::clamp(int(std::lround(target.height() / scale)), 1, source.height());
    const QRect crop((source.width() - cropWidth) / 2, (source.height() - cropHeight) / 2,
                     cropWidth, cropHeight);
    // A picture decoded at the monitor's size (the usual case) goes out as it is, shared.
    if (crop == source.rect() && source.size() == target && source.format() == QImage::Format_RGB32)
        return source;
    QImage part;
    if (source.depth() >= 8 && source.colorCount() == 0) {
        // A view into the source's rows: no copy of a picture that may be 4K or 8K.
        part = QImage(source.constBits() + crop.y() * source.bytesPerLine() +
                          crop.x() * (source.depth() / 8),
                      crop.width(), crop.height(), source.bytesPerLine(), source.format());
    } else {
        part = source.copy(crop);
    }
    if (part.size() == target)
        return part.convertToFormat(QImage::Format_RGB32).copy();
    const int factor = part.width() / target.width();
    if (factor >= 2 && factor <= kMaxWholeFactor && part.size() == target * factor) {
        const QImage rgb = part.convertToFormat(QImage::Format_RGB32);
        return shrinkByWholeFactor(rgb, factor);
    }
    return part.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

QImage rootImage(const QImage& picture, QSize rootSize, const QList<QRect>& monitors) {
    const QRect root(QPoint(0, 0), rootSize);
    if (monitors.isEmpty() || (monitors.size() == 1 && monitors.first() == root))
        return coverImage(picture, rootSize);
    QImage result(rootSize, QImage::Format_RGB32);
    result.fill(Qt::black);
    QPainter painter(&result);
    for (const QRect& monitor : monitors) {
        const QRect area = monitor.intersected(root);
        if (!area.isEmpty())
            painter.drawImage(area.topLeft(), coverImage(picture, area.size()));
    }
    painter.end();
    return result;
}

int PixelLayout::bytesPerLine(int width) const {
    const qint64 bits = qint64(width) * bitsPerPixel;
    const qint64 padded = (bits + scanlinePad - 1) / scanlinePad * scanlinePad;
    return int(padded / 8);
}

QByteArray packPixels(const QImage& rgb32, const PixelLayout& layout, int firstRow, int rowCount) {
    const int bytesPerPixel = layout.bitsPerPixel / 8;
    if (rgb32.format() != QImage::Format_RGB32 || layout.bitsPerPixel % 8 != 0 ||
        bytesPerPixel < 1 || bytesPerPixel > 4 || layout.scanlinePad < 8 || firstRow < 0 ||
        rowCount < 0 || firstRow + rowCount > rgb32.height())
        return {};
    const int width = rgb32.width();
    const int stride = layout.bytesPerLine(width);
    const bool littleEndianHost = QSysInfo::ByteOrder == QSysInfo::LittleEndian;

    // The common case: the server wants exactly the bytes of a QImage RGB32 row.
    if (bytesPerPixel == 4 && layout.redMask == 0xff0000 && layout.greenMask == 0xff00 &&
        layout.blueMask == 0xff && layout.mostSignificantFirst != littleEndianHost &&
        stride == width * 4) {
        if (rgb32.bytesPerLine() == stride)
            return QByteArray::fromRawData(
                reinterpret_cast<const char*>(rgb32.constScanLine(firstRow)),
                qsizetype(stride) * rowCount);
    }

    QByteArray bytes(qsizetype(stride) * rowCount, '\0');
    for (int row = 0; row < rowCount; ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb32.constScanLine(firstRow + row));
        auto* out = reinterpret_cast<uchar*>(bytes.data()) + qsizetype(stride) * row;
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = in[x];
            const quint32 value = placeChannel(quint32(qRed(pixel)), layout.redMask) |
                                  placeChannel(quint32(qGreen(pixel)), layout.greenMask) |
                                  placeChannel(quint32(qBlue(pixel)), layout.blueMask);
            uchar* target = out + qsizetype(x) * bytesPerPixel;
            for (int i = 0; i < bytesPerPixel; ++i) {
                const int shift = layout.mostSignificantFirst ? 8 * (bytesPerPixel - 1 - i) : 8 * i;
                target[i] = uchar(value >> shift);
            }
        }
    }
    return bytes;
}

} // namespace vlm
