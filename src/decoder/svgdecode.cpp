#include "common/decodewire.h"
#include "decoder/decoders.h"

#include <QScopeGuard>
#include <cairo.h>
#include <librsvg/rsvg.h>
#include <zlib.h>

namespace vlm::decoder {

namespace {

bool isGzip(const QByteArray& data) {
    return data.startsWith("\x1F\x8B");
}

// The first gzip member of data, or nothing when it is damaged or would inflate to more than
// a plain drawing may hold: a few kilobytes of gzip can stand for gigabytes.
QByteArray inflatedWithinCap(const QByteArray& data) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) // 16: a gzip wrapper
        return {};
    const auto end = qScopeGuard([&stream] { inflateEnd(&stream); });
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    const qint64 cap = decodewire::kDrawing.maxInputBytes;
    QByteArray out;
    for (int status = Z_OK; status != Z_STREAM_END;) {
        if (out.size() >= cap) {
            noteRefusal(Refusal::TooLarge);
            return {};
        }
        const qsizetype done = out.size();
        out.resize(qMin<qint64>(cap, qMax<qint64>(64 * 1024, done * 2)));
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        stream.avail_out = uInt(out.size() - done);
        status = inflate(&stream, Z_NO_FLUSH);
        out.resize(out.size() - qsizetype(stream.avail_out));
        // Z_BUF_ERROR with output room left: the input ended before the stream did.
        if (status != Z_OK && status != Z_STREAM_END)
            return {};
    }
    return out;
}

// The drawing's own size in any unit: its width and height in pixels where they are absolute,
// else its viewBox, else the extent of what it draws.
QSizeF naturalSize(RsvgHandle* handle) {
    double width = 0;
    double height = 0;
    if (rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height))
        return {width, height};
    gboolean hasWidth = false, hasHeight = false, hasViewBox = false;
    RsvgLength lengthWidth, lengthHeight;
    RsvgRectangle viewBox;
    rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &lengthWidth, &hasHeight, &lengthHeight,
                                         &hasViewBox, &viewBox);
    if (hasViewBox)
        return {viewBox.width, viewBox.height};
    RsvgRectangle ink, logical;
    if (rsvg_handle_get_geometry_for_element(handle, nullptr, &ink, &logical, nullptr))
        return {logical.width, logical.height};
    return {};
}

} // namespace

QImage decodeSvg(const QByteArray& data, const Box& box) {
    const QByteArray svg = isGzip(data) ? inflatedWithinCap(data) : data;
    // librsvg would inflate a second wrapper itself, without a cap.
    if (svg.isEmpty() || isGzip(svg))
        return {};
    // Without a base file librsvg resolves no reference outside the document (only data:
    // URLs), so a drawing reads nothing but itself; without RSVG_HANDLE_FLAG_UNLIMITED the XML
    // parser keeps its limits on depth, entity expansion and size.
    GInputStream* stream =
        g_memory_input_stream_new_from_data(svg.constData(), svg.size(), nullptr);
    const auto releaseStream = qScopeGuard([stream] { g_object_unref(stream); });
    RsvgHandle* handle =
        rsvg_handle_new_from_stream_sync(stream, nullptr, RSVG_HANDLE_FLAGS_NONE, nullptr, nullptr);
    if (!handle)
        return {};
    const auto releaseHandle = qScopeGuard([handle] { g_object_unref(handle); });
    // Cairo's ARGB32 is Qt's premultiplied ARGB32 in the machine's byte order, row for row.
    QImage image = drawingCanvas(naturalSize(handle), box);
    if (image.isNull())
        return {};
    const QSize size = image.size();
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        image.bits(), CAIRO_FORMAT_ARGB32, size.width(), size.height(), int(image.bytesPerLine()));
    cairo_t* cairo = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, double(size.width()), double(size.height())};
    const bool drawn = cairo_status(cairo) == CAIRO_STATUS_SUCCESS &&
                       rsvg_handle_render_document(handle, cairo, &viewport, nullptr) &&
                       cairo_status(cairo) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cairo);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
    return drawn ? image : QImage();
}

} // namespace vlm::decoder
