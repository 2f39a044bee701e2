#include "platform/picturesave.h"

#include "common/safewrite.h"

#include <QPainter>
#include <QtEndian>
#include <cstring>
#include <limits>

namespace vlm {

namespace {

constexpr quint32 kFileHeaderSize = 14;
constexpr quint32 kInfoHeaderSize = 40;
constexpr qint32 kPixelsPerMetre = 3780; // 96 dots per inch

// The picture without transparency: what shows through is white.
QImage opaqueOnWhite(const QImage& image) {
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

// One bitmap row (blue, green, red per pixel) from a row of the picture.
void bgrRow(const QImage& image, int y, uchar* out) {
    if (image.format() == QImage::Format_RGB32) {
        // The usual case (JPEG, and every picture with transparency) without a converted copy
        // of a picture that may be 8K.
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const int width = image.width(); // read once: the loop then vectorises
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = in[x];
            out[3 * x] = uchar(qBlue(pixel));
            out[3 * x + 1] = uchar(qGreen(pixel));
            out[3 * x + 2] = uchar(qRed(pixel));
        }
        return;
    }
    std::memcpy(out, image.constScanLine(y), size_t(image.width()) * 3);
}

template <typename T> void put(QByteArray& bytes, qsizetype offset, T value) {
    qToLittleEndian(value, bytes.data() + offset);
}

} // namespace

QByteArray encodeWindowsBitmap(const QImage& image) {
    if (image.isNull())
        return {};
    QImage source = opaqueOnWhite(image);
    if (source.format() != QImage::Format_RGB32)
        source = source.convertToFormat(QImage::Format_BGR888);
    if (source.isNull())
        return {};
    const quint64 width = quint64(source.width());
    const quint64 height = quint64(source.height());
    const quint64 stride = (width * 3 + 3) & ~quint64{3};
    const quint64 pixelBytes = stride * height;
    const quint64 fileSize = kFileHeaderSize + kInfoHeaderSize + pixelBytes;
    if (fileSize > std::numeric_limits<quint32>::max())
        return {};

    QByteArray bytes(qsizetype(fileSize), Qt::Uninitialized);
    std::memset(bytes.data(), 0, kFileHeaderSize + kInfoHeaderSize);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put<quint32>(bytes, 2, quint32(fileSize));
    put<quint32>(bytes, 10, kFileHeaderSize + kInfoHeaderSize);
    put<quint32>(bytes, 14, kInfoHeaderSize);
    put<qint32>(bytes, 18, qint32(width));
    put<qint32>(bytes, 22, qint32(height)); // positive: rows run bottom-up
    put<quint16>(bytes, 26, 1);             // planes
    put<quint16>(bytes, 28, 24);            // bits per pixel
    put<quint32>(bytes, 30, 0);             // BI_RGB, uncompressed
    put<quint32>(bytes, 34, quint32(pixelBytes));
    put<qint32>(bytes, 38, kPixelsPerMetre);
    put<qint32>(bytes, 42, kPixelsPerMetre);

    auto* rows = reinterpret_cast<uchar*>(bytes.data()) + kFileHeaderSize + kInfoHeaderSize;
    for (quint64 y = 0; y < height; ++y) {
        uchar* row = rows + y * stride;
        bgrRow(source, int(height - 1 - y), row);
        std::memset(row + width * 3, 0, stride - width * 3); // padding
    }
    return bytes;
}

bool saveWindowsBitmap(const QImage& image, const QString& path, QString* error) {
    const QByteArray bytes = encodeWindowsBitmap(image);
    if (bytes.isEmpty()) {
        if (error)
            *error = image.isNull() ? QStringLiteral("there is no picture to save")
                                    : QStringLiteral("the picture is too large for a bitmap");
        return false;
    }
    return writeFileAtomically(path, bytes, error);
}

} // namespace vlm
