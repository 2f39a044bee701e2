#include "platform/picturesave.h"

#include "common/safewrite.h"

#include <QIODevice>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <limits>
#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

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

// Blue, green, red of each RGB32 pixel: a plain loop, and a byte shuffle of four pixels at a time
// where the processor has one (every x86-64 processor of the last fifteen years), twice as fast.
void bgrPixels(const QRgb* in, int width, uchar* out) {
    for (int x = 0; x < width; ++x) {
        const QRgb pixel = in[x];
        out[3 * x] = uchar(qBlue(pixel));
        out[3 * x + 1] = uchar(qGreen(pixel));
        out[3 * x + 2] = uchar(qRed(pixel));
    }
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VLM_BGR_SHUFFLE 1
__attribute__((target("ssse3"))) void bgrPixelsShuffled(const QRgb* in, int width, uchar* out) {
    // In memory an RGB32 pixel is blue, green, red, unused; the shuffle drops every fourth byte.
    const __m128i drop = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    // Each store writes 16 bytes for 12: stop while the 4 extra still fall inside the row.
    for (; x + 6 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm_shuffle_epi8(pixels, drop));
    }
    bgrPixels(in + x, width - x, out + 3 * x);
}
#endif

// One bitmap row (blue, green, red per pixel) from a row of the picture.
void bgrRow(const QImage& image, int y, uchar* out) {
    if (image.format() == QImage::Format_RGB32) {
        // The usual case (JPEG, and every picture with transparency) without a converted copy
        // of a picture that may be 8K.
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
#ifdef VLM_BGR_SHUFFLE
        static const bool shuffle = __builtin_cpu_supports("ssse3");
        if (shuffle) {
            bgrPixelsShuffled(in, image.width(), out);
            return;
        }
#endif
        bgrPixels(in, image.width(), out);
        return;
    }
    std::memcpy(out, image.constScanLine(y), size_t(image.width()) * 3);
}

template <typename T> void put(QByteArray& bytes, qsizetype offset, T value) {
    qToLittleEndian(value, bytes.data() + offset);
}

// The picture as bitmap rows: its 54-byte header and its rows bottom-up, made a block at a time
// so that a 4K picture needs no second copy of itself in memory.
class BitmapRows {
public:
    explicit BitmapRows(const QImage& image) {
        if (image.isNull())
            return;
        source_ = opaqueOnWhite(image);
        if (source_.format() != QImage::Format_RGB32)
            source_ = source_.convertToFormat(QImage::Format_BGR888);
        if (source_.isNull())
            return;
        width_ = quint64(source_.width());
        height_ = quint64(source_.height());
        stride_ = (width_ * 3 + 3) & ~quint64{3};
        fileSize_ = kFileHeaderSize + kInfoHeaderSize + stride_ * height_;
    }

    // Zero when there is no picture or it is too large for the format.
    quint64 fileSize() const {
        return fileSize_ <= std::numeric_limits<quint32>::max() ? fileSize_ : 0;
    }

    QByteArray header() const {
        QByteArray bytes(kFileHeaderSize + kInfoHeaderSize, '\0');
        bytes[0] = 'B';
        bytes[1] = 'M';
        put<quint32>(bytes, 2, quint32(fileSize_));
        put<quint32>(bytes, 10, kFileHeaderSize + kInfoHeaderSize);
        put<quint32>(bytes, 14, kInfoHeaderSize);
        put<qint32>(bytes, 18, qint32(width_));
        put<qint32>(bytes, 22, qint32(height_)); // positive: rows run bottom-up
        put<quint16>(bytes, 26, 1);              // planes
        put<quint16>(bytes, 28, 24);             // bits per pixel
        put<quint32>(bytes, 30, 0);              // BI_RGB, uncompressed
        put<quint32>(bytes, 34, quint32(stride_ * height_));
        put<qint32>(bytes, 38, kPixelsPerMetre);
        put<qint32>(bytes, 42, kPixelsPerMetre);
        return bytes;
    }

    quint64 rowCount() const { return height_; }
    quint64 stride() const { return stride_; }

    // Stored rows [first, first + count) into out, stride() bytes each.
    void write(quint64 first, quint64 count, uchar* out) const {
        for (quint64 y = first; y < first + count; ++y) {
            uchar* row = out + (y - first) * stride_;
            bgrRow(source_, int(height_ - 1 - y), row);
            std::memset(row + width_ * 3, 0, stride_ - width_ * 3); // padding
        }
    }

private:
    QImage source_;
    quint64 width_ = 0;
    quint64 height_ = 0;
    quint64 stride_ = 0;
    quint64 fileSize_ = 0;
};

} // namespace

QByteArray encodeWindowsBitmap(const QImage& image) {
    const BitmapRows rows(image);
    if (rows.fileSize() == 0)
        return {};
    QByteArray bytes = rows.header();
    bytes.resize(qsizetype(rows.fileSize()));
    rows.write(0, rows.rowCount(),
               reinterpret_cast<uchar*>(bytes.data()) + kFileHeaderSize + kInfoHeaderSize);
    return bytes;
}

bool saveWindowsBitmap(const QImage& image, const QString& path, QString* error) {
    const BitmapRows rows(image);
    if (rows.fileSize() == 0) {
        if (error)
            *error = image.isNull() ? QStringLiteral("there is no picture to save")
                                    : QStringLiteral("the picture is too large for a bitmap");
        return false;
    }
    // Blocks of about 1 MB: the file is written as it is made, with no 24 MB buffer per change.
    const quint64 blockRows = std::max<quint64>(1, (quint64{1} << 20) / rows.stride());
    return writeFileAtomically(
        path, qint64(rows.fileSize()),
        [&rows, blockRows](QIODevice& file) {
            const QByteArray header = rows.header();
            if (file.write(header) != header.size())
                return false;
            QByteArray block(qsizetype(std::min(blockRows, rows.rowCount()) * rows.stride()),
                             Qt::Uninitialized);
            for (quint64 first = 0; first < rows.rowCount(); first += blockRows) {
                const quint64 count = std::min(blockRows, rows.rowCount() - first);
                rows.write(first, count, reinterpret_cast<uchar*>(block.data()));
                const qint64 length = qint64(count * rows.stride());
                if (file.write(block.constData(), length) != length)
                    return false;
            }
            return true;
        },
        error);
}

} // namespace vlm
