#include "decoder/decoders.h"

#include <QScopeGuard>
#include <jxl/decode.h>
#include <jxl/resizable_parallel_runner.h>

namespace vlm::decoder {

namespace {

// What a lossy picture's colours are turned into where the decoder has the choice: sRGB, as
// the screen takes them, rather than the linear light it would otherwise give.
void preferSrgb(JxlDecoder* decoder, const JxlBasicInfo& info) {
    JxlColorEncoding srgb{};
    srgb.color_space = info.num_color_channels == 1 ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
    srgb.white_point = JXL_WHITE_POINT_D65;
    srgb.primaries = JXL_PRIMARIES_SRGB;
    srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    JxlDecoderSetPreferredColorProfile(decoder, &srgb);
}

} // namespace

QImage decodeJxl(const QByteArray& data, const Box& box) {
    JxlDecoder* decoder = JxlDecoderCreate(nullptr);
    void* runner = JxlResizableParallelRunnerCreate(nullptr);
    const auto release = qScopeGuard([decoder, runner] {
        JxlResizableParallelRunnerDestroy(runner);
        JxlDecoderDestroy(decoder);
    });
    // Orientation is applied by the decoder (keep_orientation off, the default), which then
    // reports the upright size.
    if (!decoder || !runner ||
        JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                               JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetKeepOrientation(decoder, JXL_FALSE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetUnpremultiplyAlpha(decoder, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetParallelRunner(decoder, JxlResizableParallelRunner, runner) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder, reinterpret_cast<const uint8_t*>(data.constData()),
                           std::size_t(data.size())) != JXL_DEC_SUCCESS)
        return {};
    JxlDecoderCloseInput(decoder);

    JxlBasicInfo info{};
    QImage image;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder)) {
        case JXL_DEC_BASIC_INFO: {
            if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS ||
                !rasterSizeAllowed(info.xsize, info.ysize))
                return {};
            JxlResizableParallelRunnerSetThreads(
                runner, JxlResizableParallelRunnerSuggestThreads(info.xsize, info.ysize));
            break;
        }
        case JXL_DEC_COLOR_ENCODING:
            preferSrgb(decoder, info);
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            // Four bytes a pixel for transparency, or where the picture is shrunk afterwards.
            const bool alpha = info.alpha_bits > 0;
            const bool fourBytes =
                alpha || shrinksToFit({int(info.xsize), int(info.ysize)}, 1, box);
            image = QImage(int(info.xsize), int(info.ysize),
                           alpha       ? QImage::Format_RGBA8888
                           : fourBytes ? QImage::Format_RGBX8888
                                       : QImage::Format_RGB888);
            // Qt's rows are padded to four bytes; grey pictures are widened to RGB.
            const JxlPixelFormat format{fourBytes ? 4U : 3U, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
            std::size_t needed = 0;
            if (image.isNull() ||
                JxlDecoderImageOutBufferSize(decoder, &format, &needed) != JXL_DEC_SUCCESS ||
                needed > std::size_t(image.sizeInBytes()) ||
                JxlDecoderSetImageOutBuffer(decoder, &format, image.bits(),
                                            std::size_t(image.sizeInBytes())) != JXL_DEC_SUCCESS)
                return {};
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            // The first frame is the still picture, or an animation's first.
            return image.isNull() ? image : uprightWithin(std::move(image), 1, box);
        default: // an error, or input that ends before the picture does
            return {};
        }
    }
}

} // namespace vlm::decoder
