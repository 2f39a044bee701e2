#include "decoder/jpegdecode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h wants FILE declared
#include <jpeglib.h>
// after jpeglib.h, which it needs
#include <jerror.h>

namespace vlm::decoder {
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
    // early (the file, or the scan at a marker) is a failed load, not a picture padded with
    // grey. A small file whose header claims a huge picture fails at once that way.
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        failDecoding(info);
}

void stayQuiet(j_common_ptr) {}

// Feeds libjpeg from a device a block at a time: a 200-megapixel photograph's file need not be
// in memory beside its pixels.
struct DeviceSource {
    jpeg_source_mgr pub{};
    QIODevice* device = nullptr;
    JOCTET block[32 * 1024];
};

void startSource(j_decompress_ptr) {}
void endSource(j_decompress_ptr) {}

boolean fillBlock(j_decompress_ptr info) {
    auto* source = reinterpret_cast<DeviceSource*>(info->src);
    qint64 length =
        source->device->read(reinterpret_cast<char*>(source->block), qint64(sizeof source->block));
    if (length <= 0) { // as libjpeg's own sources do: an end marker, and the warning that fails
        WARNMS(info, JWRN_JPEG_EOF);
        source->block[0] = 0xFF;
        source->block[1] = JPEG_EOI;
        length = 2;
    }
    source->pub.next_input_byte = source->block;
    source->pub.bytes_in_buffer = size_t(length);
    return TRUE;
}

void skipBytes(j_decompress_ptr info, long count) {
    auto& source = info->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        fillBlock(info);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= size_t(count);
    }
}

struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    DeviceSource source;

    explicit Decompressor(QIODevice& device) {
        info.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = failDecoding;
        errors.pub.emit_message = onMessage;
        errors.pub.output_message = stayQuiet;
        source.device = &device;
        source.pub.init_source = startSource;
        source.pub.fill_input_buffer = fillBlock;
        source.pub.skip_input_data = skipBytes;
        source.pub.resync_to_restart = jpeg_resync_to_restart;
        source.pub.term_source = endSource;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); } // also after a failed create
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

bool readHeader(Decompressor& d) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.info);
    d.info.src = &d.source.pub;
    return jpeg_read_header(&d.info, TRUE) == JPEG_HEADER_OK;
}

// Where decoded pixel (x, y) goes in the upright picture, as offsets in pixels: the start, and
// the steps for x and y. Mirroring and flipping come first, then the quarter turn clockwise.
struct Placement {
    qsizetype origin = 0;
    qsizetype stepX = 1;
    qsizetype stepY = 0;
};

Placement placement(QSize decoded, qsizetype stride, QImageIOHandler::Transformations turn) {
    const qsizetype mirror = turn & QImageIOHandler::TransformationMirror ? -1 : 1;
    const qsizetype flip = turn & QImageIOHandler::TransformationFlip ? -1 : 1;
    const qsizetype mirrorStart = mirror < 0 ? decoded.width() - 1 : 0;
    const qsizetype flipStart = flip < 0 ? decoded.height() - 1 : 0;
    if (turn & QImageIOHandler::TransformationRotate90) // (x, y) -> (height - 1 - y, x)
        return {mirrorStart * stride + decoded.height() - 1 - flipStart, mirror * stride, -flip};
    return {flipStart * stride + mirrorStart, mirror, flip * stride};
}

constexpr JDIMENSION kBatch = 16; // the most rows libjpeg returns at once

bool scaleTo(Decompressor& d, unsigned int eighths) {
    if (setjmp(d.errors.jump))
        return false;
    d.info.scale_num = eighths;
    d.info.scale_denom = 8;
    jpeg_calc_output_dimensions(&d.info);
    return true;
}

// strip: kBatch rows of the decoded width, for a turned picture, whose rows are spread to their
// places as they arrive.
bool readPixels(Decompressor& d, QImage& image, QImage& strip,
                QImageIOHandler::Transformations turn) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.info);
    const QSize decoded(int(d.info.output_width), int(d.info.output_height));
    const bool upright = turn == QImageIOHandler::TransformationNone;
    if (transformedSize(decoded, turn) != image.size() ||
        (!upright && strip.width() != decoded.width()))
        return false;
    constexpr JDIMENSION batch = kBatch;
    JSAMPROW rows[batch];
    auto* pixels = reinterpret_cast<quint32*>(image.bits());
    const Placement place = placement(decoded, image.bytesPerLine() / 4, turn);
    while (d.info.output_scanline < d.info.output_height) {
        const JDIMENSION first = d.info.output_scanline;
        const JDIMENSION count = std::min(batch, d.info.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = upright ? image.scanLine(int(first + i)) : strip.scanLine(int(i));
        const JDIMENSION got = jpeg_read_scanlines(&d.info, rows, count);
        for (JDIMENSION i = 0; !upright && i < got; ++i) {
            const auto* in = reinterpret_cast<const quint32*>(rows[i]);
            quint32* out = pixels + place.origin + qsizetype(first + i) * place.stepY;
            for (int x = 0; x < decoded.width(); ++x, out += place.stepX)
                *out = in[x];
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// The smallest libjpeg scale (eighths) that still covers the upright size wanted for box.
unsigned int eighthsFor(QSize upright, const Box& box) {
    const QSize fitted = photoSize(upright, box);
    for (unsigned int eighths = 1; eighths < 8; ++eighths)
        if (qint64{upright.width()} * eighths >= qint64{fitted.width()} * 8 &&
            qint64{upright.height()} * eighths >= qint64{fitted.height()} * 8)
            return eighths;
    return 8;
}

enum class Prepared { Ready, NotColour, Broken };

// The header read, the picture checked, and libjpeg set to decode it to RGB32 at its scale.
Prepared prepare(Decompressor& d, bool (*acceptable)(QSize), const JpegRequest& request) {
    if (!readHeader(d))
        return Prepared::Broken;
    const bool colour = d.info.num_components == 3 && (d.info.jpeg_color_space == JCS_YCbCr ||
                                                       d.info.jpeg_color_space == JCS_RGB);
    if (!colour)
        return Prepared::NotColour;
    const QSize natural(int(std::min<JDIMENSION>(d.info.image_width, 1 << 30)),
                        int(std::min<JDIMENSION>(d.info.image_height, 1 << 30)));
    if (!acceptable(natural))
        return Prepared::Broken;
    // The byte order of an RGB32 pixel in memory.
    d.info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    // The fast transform's rounding is invisible at wallpaper sizes. Chroma keeps its smooth
    // upsampling: plain upsampling saves little and leaves coloured fringes at sharp edges.
    d.info.dct_method = JDCT_IFAST;
    return scaleTo(d, eighthsFor(transformedSize(natural, request.transformation), request.box))
               ? Prepared::Ready
               : Prepared::Broken;
}

// The rows decoded into strip (kBatch rows of the decoded width) and handed to out a strip at a
// time.
bool streamRows(Decompressor& d, QImage& strip, RowWriter& out) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.info);
    if (int(d.info.output_width) != strip.width())
        return false;
    JSAMPROW rows[kBatch];
    for (JDIMENSION i = 0; i < kBatch; ++i)
        rows[i] = strip.scanLine(int(i));
    while (d.info.output_scanline < d.info.output_height) {
        const JDIMENSION count = std::min(kBatch, d.info.output_height - d.info.output_scanline);
        const JDIMENSION got = jpeg_read_scanlines(&d.info, rows, count);
        if (!out.rows(strip.constBits(), qsizetype(got) * strip.bytesPerLine()))
            return false;
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

QSize transformedSize(QSize size, QImageIOHandler::Transformations transformation) {
    return transformation & QImageIOHandler::TransformationRotate90 ? size.transposed() : size;
}

std::optional<QImage> decodeColourJpeg(QIODevice& device, bool (*acceptable)(QSize),
                                       const JpegRequest& request) {
    Decompressor d(device);
    if (const Prepared prepared = prepare(d, acceptable, request); prepared != Prepared::Ready)
        return prepared == Prepared::NotColour ? std::nullopt : std::optional<QImage>(QImage());
    const QSize decoded(int(d.info.output_width), int(d.info.output_height));
    QImage image(transformedSize(decoded, request.transformation), QImage::Format_RGB32);
    const bool turned = request.transformation != QImageIOHandler::TransformationNone;
    QImage strip = turned ? QImage(decoded.width(), int(kBatch), QImage::Format_RGB32) : QImage();
    if (image.isNull() || (turned && strip.isNull()) ||
        !readPixels(d, image, strip, request.transformation))
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

Streamed streamColourJpeg(QIODevice& device, bool (*acceptable)(QSize), const JpegRequest& request,
                          RowWriter& out) {
    if (request.transformation != QImageIOHandler::TransformationNone)
        return Streamed::NotTaken;
    Decompressor d(device);
    if (prepare(d, acceptable, request) != Prepared::Ready)
        return Streamed::NotTaken; // decodeColourJpeg tells why
    const QSize decoded(int(d.info.output_width), int(d.info.output_height));
    const QSize natural(int(d.info.image_width), int(d.info.image_height));
    if (decoded != photoSize(natural, request.box))
        return Streamed::NotTaken; // it needs scaling beyond libjpeg's
    QImage strip(decoded.width(), int(kBatch), QImage::Format_RGB32);
    if (strip.isNull() || strip.bytesPerLine() != qsizetype(decoded.width()) * 4)
        return Streamed::NotTaken;
    if (!out.start(decoded))
        return Streamed::Failed;
    return streamRows(d, strip, out) ? Streamed::Written : Streamed::Failed;
}

} // namespace vlm::decoder
