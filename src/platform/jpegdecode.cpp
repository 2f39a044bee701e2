#include "platform/jpegdecode.h"

#include "platform/largeimage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h wants FILE declared
#include <jpeglib.h>
// after jpeglib.h, which it needs
#include <jerror.h>

namespace vlm {
namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to the
// setjmp of the step under way. The steps below keep no object with a destructor on their
// frames, so the jump skips nothing that needs cleaning up.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void failDecoding(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    // Warnings about stray bytes are common in photographs that decode well; data that ends
    // early is a failed load, not a picture padded with grey.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        failDecoding(info);
}

void stayQuiet(j_common_ptr) {}

struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};

    Decompressor() {
        info.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = failDecoding;
        errors.pub.emit_message = onMessage;
        errors.pub.output_message = stayQuiet;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); } // also after a failed create
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

bool readHeader(Decompressor& d, const unsigned char* bytes, unsigned long size) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, bytes, size);
    return jpeg_read_header(&d.info, TRUE) == JPEG_HEADER_OK;
}

bool readPixels(Decompressor& d, uchar* bits, qsizetype bytesPerLine, QSize size) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.info);
    if (d.info.output_width != JDIMENSION(size.width()) ||
        d.info.output_height != JDIMENSION(size.height()))
        return false;
    constexpr JDIMENSION batch = 16; // the most rows libjpeg returns at once
    JSAMPROW rows[batch];
    while (d.info.output_scanline < d.info.output_height) {
        const JDIMENSION first = d.info.output_scanline;
        const JDIMENSION count = std::min(batch, d.info.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = bits + qsizetype(first + i) * bytesPerLine;
        jpeg_read_scanlines(&d.info, rows, count);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

std::optional<QImage> decodeColourJpeg(QByteArrayView data, bool (*acceptable)(QSize)) {
    Decompressor d;
    if (data.isEmpty() || !readHeader(d, reinterpret_cast<const unsigned char*>(data.data()),
                                      static_cast<unsigned long>(data.size())))
        return QImage();
    const bool colour = d.info.num_components == 3 && (d.info.jpeg_color_space == JCS_YCbCr ||
                                                       d.info.jpeg_color_space == JCS_RGB);
    if (!colour)
        return std::nullopt;
    const QSize size(int(std::min<JDIMENSION>(d.info.image_width, 1 << 30)),
                     int(std::min<JDIMENSION>(d.info.image_height, 1 << 30)));
    if (!acceptable(size))
        return QImage();
    // The byte order of an RGB32 pixel in memory.
    d.info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    // The fast transform's rounding is invisible at wallpaper sizes. Chroma keeps its smooth
    // upsampling: plain upsampling saves little and leaves coloured fringes at sharp edges.
    d.info.dct_method = JDCT_IFAST;
    QImage image = newLargeImage(size);
    if (image.isNull() || !readPixels(d, image.bits(), image.bytesPerLine(), size))
        return QImage();
    if (d.info.density_unit == 1) { // dots per inch
        image.setDotsPerMeterX(qRound(d.info.X_density * 100 / 2.54));
        image.setDotsPerMeterY(qRound(d.info.Y_density * 100 / 2.54));
    } else if (d.info.density_unit == 2) { // dots per centimetre
        image.setDotsPerMeterX(d.info.X_density * 100);
        image.setDotsPerMeterY(d.info.Y_density * 100);
    }
    return image;
}

} // namespace vlm
