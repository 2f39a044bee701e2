#include "common/picturecomplete.h"
#include "decoder/decoders.h"
#include "decoder/jpegdecode.h"

#include <QBuffer>
#include <QImageReader>

namespace vlm::decoder {

namespace {

// An icon file holds a handful of sizes; the directory is not trusted beyond this many.
constexpr int kMaxIconEntries = 64;
// Each scan of a progressive JPEG passes over the whole picture; photographs have about ten. A
// file with thousands keeps a decoder busy for minutes on a small file.
constexpr qsizetype kMaxJpegScans = 100;

// An icon keeps several sizes; the wallpaper wants the largest one.
void jumpToLargestIcon(QImageReader& reader) {
    const int count = qMin(reader.imageCount(), kMaxIconEntries);
    int best = 0;
    qint64 bestArea = -1;
    for (int i = 0; i < count && reader.jumpToImage(i); ++i) {
        const QSize size = reader.size();
        const qint64 area = qint64{size.width()} * size.height();
        if (size.isValid() && area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    reader.jumpToImage(best);
}

// 32 bits a pixel, as the answer is made from: palette pictures lose their palette row by row,
// and deep colour (16-bit PNG) has 8 bits a channel on the screen anyway.
QImage eightBitChannels(QImage image) {
    if (image.depth() == 32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

// A GIF paints every frame on its logical screen, which its header declares and Qt allocates
// whole before the first frame: checked here, before Qt sees it.
bool gifScreenAllowed(const QByteArray& data) {
    const QSize screen = measureGif(data);
    return !screen.isValid() || // no GIF header: the reader fails on it
           rasterSizeAllowed(screen.width(), screen.height());
}

bool acceptableJpegSize(QSize size) {
    return rasterSizeAllowed(size.width(), size.height());
}

} // namespace

QImage decodeWithQt(const QByteArray& data, const Box& box, const char* format) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QByteArrayView kind(format);
    if (!hasAllItsData(buffer, kind) || (kind == "gif" && !gifScreenAllowed(data)))
        return {};
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false); // no plugin's guess decodes anything
    reader.setAutoTransform(true);
    if (kind == "ico")
        jumpToLargestIcon(reader);
    // The header's claim is checked before anything is allocated for the pixels. (canRead()
    // is no help: the icon handler says no to icons it reads well.)
    const QSize claimed = reader.size();
    if (!claimed.isValid() || !rasterSizeAllowed(claimed.width(), claimed.height()))
        return {};
    QImage image = reader.read();
    if (image.isNull() || !rasterSizeAllowed(image.width(), image.height()))
        return {};
    return uprightWithin(eightBitChannels(std::move(image)), 1, box);
}

namespace {

// The scan cap, and the orientation from the header; nullopt when the picture has too many scans.
std::optional<JpegRequest> jpegRequest(const QByteArray& data, QBuffer& buffer, const Box& box) {
    // Every scan starts with an SOS marker, which entropy-coded data cannot contain.
    if (data.count(QByteArrayView("\xFF\xDA", 2)) > kMaxJpegScans) {
        noteRefusal(Refusal::Limit);
        return std::nullopt;
    }
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader header(&buffer, "jpeg");
    header.setAutoTransform(true);
    const JpegRequest request{header.transformation(), box};
    buffer.seek(0);
    return request;
}

} // namespace

QImage decodeJpeg(const QByteArray& data, const Box& box) {
    QBuffer buffer;
    const std::optional<JpegRequest> request = jpegRequest(data, buffer, box);
    if (!request)
        return {};
    if (std::optional<QImage> image = decodeColourJpeg(buffer, acceptableJpegSize, *request))
        return image->isNull() ? QImage() : uprightWithin(*std::move(image), 1, box);
    return decodeWithQt(data, box, "jpeg"); // grayscale and CMYK
}

Streamed streamJpeg(const QByteArray& data, const Box& box, RowWriter& out) {
    QBuffer buffer;
    const std::optional<JpegRequest> request = jpegRequest(data, buffer, box);
    if (!request)
        return Streamed::NotTaken; // decodeJpeg refuses it the same way
    return streamColourJpeg(buffer, acceptableJpegSize, *request, out);
}

} // namespace vlm::decoder
