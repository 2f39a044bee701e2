#include "decoder/decoders.h"

#include <QBuffer>
#include <QImageReader>
#include <QScopeGuard>
#include <QtEndian>
#include <libheif/heif.h>

namespace vlm::decoder {

namespace {

// The kinds whose header Qt's readers tell the size and orientation of without decoding.
QSize measureWithQt(const QByteArray& data, const char* format) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid())
        return {};
    return reader.transformation().testFlag(QImageIOHandler::TransformationRotate90)
               ? stored.transposed()
               : stored;
}

// A GIF comes at its logical screen's size, whatever its first frame's.
QSize measureGif(const QByteArray& data) {
    if (data.size() < 10 || !data.startsWith("GIF8"))
        return {};
    const auto* header = reinterpret_cast<const uchar*>(data.constData());
    return {qFromLittleEndian<quint16>(header + 6), qFromLittleEndian<quint16>(header + 8)};
}

// A phone's photo: the primary picture's size after its rotation, read from the container.
QSize measureHeif(const QByteArray& data) {
    heif_context* context = heif_context_alloc();
    if (!context)
        return {};
    const auto freeContext = qScopeGuard([context] { heif_context_free(context); });
    if (heif_context_read_from_memory_without_copy(context, data.constData(),
                                                   std::size_t(data.size()), nullptr)
            .code != heif_error_Ok)
        return {};
    heif_image_handle* handle = nullptr;
    if (heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok)
        return {};
    const QSize size(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
    heif_image_handle_release(handle);
    return size;
}

} // namespace

QSize measurePicture(std::string_view kind, const QByteArray& data,
                     QImage (*decode)(const QByteArray&, const Box&)) {
    QSize size;
    if (kind == "gif")
        size = measureGif(data);
    else if (kind == "jpeg" || kind == "png" || kind == "bmp")
        size = measureWithQt(data, QByteArray(kind.data(), qsizetype(kind.size())).constData());
    else if (kind == "heif")
        size = measureHeif(data);
    else // read whole, small: enough for the aspect, which is what a size is asked for
        size = decode(data, {QSize(kMeasureSide, kMeasureSide), false}).size();
    return size.isValid() && rasterSizeAllowed(size.width(), size.height()) ? size : QSize();
}

} // namespace vlm::decoder
