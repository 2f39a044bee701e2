#include "common/decodewire.h"
#include "decoder/decoders.h"

#include <QScopeGuard>
#include <algorithm>
#include <cstring>
#include <tiffio.h>

namespace vlm::decoder {

namespace {

// libtiff reads the file from memory through these.
struct Source {
    const QByteArray& data;
    toff_t at = 0;
};

tsize_t readSource(thandle_t handle, tdata_t buffer, tsize_t size) {
    auto* source = static_cast<Source*>(handle);
    const toff_t total = toff_t(source->data.size());
    const toff_t count =
        std::min<toff_t>(toff_t(std::max<tsize_t>(size, 0)), total - std::min(source->at, total));
    std::memcpy(buffer, source->data.constData() + source->at, count);
    source->at += count;
    return tsize_t(count);
}

tsize_t refuseWrite(thandle_t, tdata_t, tsize_t) {
    return -1;
}

toff_t seekSource(thandle_t handle, toff_t offset, int whence) {
    auto* source = static_cast<Source*>(handle);
    const toff_t base = whence == SEEK_CUR   ? source->at
                        : whence == SEEK_END ? toff_t(source->data.size())
                                             : 0;
    source->at = base + offset; // past the end reads nothing
    return source->at;
}

int closeSource(thandle_t) {
    return 0;
}

toff_t sourceSize(thandle_t handle) {
    return toff_t(static_cast<Source*>(handle)->data.size());
}

int mapNothing(thandle_t, tdata_t*, toff_t*) {
    return 0;
}

void unmapNothing(thandle_t, tdata_t, toff_t) {}

// Quiet: a hostile file is expected, and the caller only learns that it failed.
int ignoreMessage(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

} // namespace

QImage decodeTiff(const QByteArray& data, const Box& box) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return {};
    // No single buffer beyond the largest picture's pixels.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(decodewire::kRaster.maxPixels * 4));
    TIFFOpenOptionsSetErrorHandlerExtR(options, ignoreMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreMessage, nullptr);
    Source source{data};
    TIFF* tiff = TIFFClientOpenExt("picture", "rm", &source, readSource, refuseWrite, seekSource,
                                   closeSource, sourceSize, mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        return {};
    const auto close = qScopeGuard([tiff] { TIFFClose(tiff); });

    char message[1024] = {};
    TIFFRGBAImage reader;
    if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&reader, tiff, 1, message))
        return {};
    const auto end = qScopeGuard([&reader] { TIFFRGBAImageEnd(&reader); });
    if (!rasterSizeAllowed(reader.width, reader.height))
        return {};
    // Rows as stored: libtiff would only flip, not turn, so the whole turn is done after.
    const int orientation = reader.orientation;
    reader.req_orientation = reader.orientation;

    QImage image(int(reader.width), int(reader.height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || image.bytesPerLine() != qsizetype(reader.width) * 4)
        return {};
    auto* pixels = reinterpret_cast<uint32_t*>(image.bits());
    if (!TIFFRGBAImageGet(&reader, pixels, reader.width, reader.height))
        return {};
    // libtiff packs premultiplied R, G, B, A from the low byte up.
    for (qsizetype i = 0, n = qsizetype(reader.width) * reader.height; i < n; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p)));
    }
    return uprightWithin(std::move(image), orientation, box);
}

} // namespace vlm::decoder
