#include "decoder/decoders.h"

#include <QScopeGuard>
#include <webp/decode.h>
#include <webp/demux.h>

namespace vlm::decoder {

namespace {

// A still picture is decoded straight into the image that is handed on.
QImage decodeStill(const WebPData& webp, int width, int height, bool alpha, bool fourBytes) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return {};
    QImage image(width, height,
                 alpha       ? QImage::Format_RGBA8888
                 : fourBytes ? QImage::Format_RGBX8888
                             : QImage::Format_RGB888);
    if (image.isNull())
        return {};
    config.output.colorspace = alpha || fourBytes ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = std::size_t(image.sizeInBytes());
    const VP8StatusCode status = WebPDecode(webp.bytes, webp.size, &config);
    WebPFreeDecBuffer(&config.output);
    return status == VP8_STATUS_OK ? image : QImage();
}

void deleteAnimationDecoder(void* decoder) {
    WebPAnimDecoderDelete(static_cast<WebPAnimDecoder*>(decoder));
}

// An animation shows its first frame laid on its canvas, which the image reads in place.
QImage decodeFirstFrame(const WebPData& webp, int width, int height) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return {};
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
    if (!decoder)
        return {};
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) || !canvas) {
        WebPAnimDecoderDelete(decoder);
        return {};
    }
    return QImage(canvas, width, height, qsizetype(width) * 4, QImage::Format_RGBA8888,
                  deleteAnimationDecoder, decoder);
}

} // namespace

QImage decodeWebp(const QByteArray& data, const Box& box) {
    const WebPData webp{reinterpret_cast<const uint8_t*>(data.constData()),
                        std::size_t(data.size())};
    WebPDemuxer* demuxer = WebPDemux(&webp);
    if (!demuxer)
        return {};
    const auto release = qScopeGuard([demuxer] { WebPDemuxDelete(demuxer); });
    const auto width = WebPDemuxGetI(demuxer, WEBP_FF_CANVAS_WIDTH);
    const auto height = WebPDemuxGetI(demuxer, WEBP_FF_CANVAS_HEIGHT);
    const auto flags = WebPDemuxGetI(demuxer, WEBP_FF_FORMAT_FLAGS);
    if (!rasterSizeAllowed(width, height))
        return {};

    int orientation = 1;
    WebPChunkIterator exif;
    if ((flags & EXIF_FLAG) && WebPDemuxGetChunk(demuxer, "EXIF", 1, &exif)) {
        orientation = exifOrientation(QByteArray::fromRawData(
            reinterpret_cast<const char*>(exif.chunk.bytes), qsizetype(exif.chunk.size)));
        WebPDemuxReleaseChunkIterator(&exif);
    }

    QImage image;
    if (flags & ANIMATION_FLAG) {
        image = decodeFirstFrame(webp, int(width), int(height));
    } else {
        WebPBitstreamFeatures features;
        if (WebPGetFeatures(webp.bytes, webp.size, &features) != VP8_STATUS_OK ||
            features.width != int(width) || features.height != int(height))
            return {};
        image = decodeStill(webp, int(width), int(height), features.has_alpha,
                            shrinksToFit({int(width), int(height)}, orientation, box));
    }
    return image.isNull() ? image : uprightWithin(std::move(image), orientation, box);
}

} // namespace vlm::decoder
