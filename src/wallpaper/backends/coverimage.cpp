#include "wallpaper/backends/coverimage.h"

#include <QPainter>
#include <QSysInfo>
#include <algorithm>
#include <bit>
#include <cmath>

namespace vlm {
namespace {

QImage opaque(const QImage& picture) {
    if (!picture.hasAlphaChannel())
        return picture;
    QImage result(picture.size(), QImage::Format_RGB32);
    result.fill(Qt::black);
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
    QImage part;
    if (source.depth() >= 8 && source.colorCount() == 0) {
        // A view into the source's rows: no copy of a picture that may be 4K or 8K.
        part = QImage(source.constBits() + crop.y() * source.bytesPerLine() +
                          crop.x() * (source.depth() / 8),
                      crop.width(), crop.height(), source.bytesPerLine(), source.format());
    } else {
        part = source.copy(crop);
    }
    QImage scaled = part.size() == target
                        ? part.copy()
                        : part.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.convertToFormat(QImage::Format_RGB32);
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
            return QByteArray(reinterpret_cast<const char*>(rgb32.constScanLine(firstRow)),
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
