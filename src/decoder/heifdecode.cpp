#include "common/decodewire.h"
#include "decoder/decoders.h"

#include <libheif/heif.h>

namespace vlm::decoder {

namespace {

void releaseImage(void* image) {
    heif_image_release(static_cast<heif_image*>(image));
}

// The file's primary picture, read from its container; null when the container is broken.
class PrimaryPicture {
public:
    explicit PrimaryPicture(const QByteArray& data) : context_(heif_context_alloc()) {
        if (!context_)
            return;
        // Each side's limit; the pixel count is checked before anything is decoded.
        heif_context_set_maximum_image_size_limit(context_, int(decodewire::kRaster.maxSide));
        if (heif_context_read_from_memory_without_copy(context_, data.constData(),
                                                       std::size_t(data.size()), nullptr)
                .code == heif_error_Ok)
            heif_context_get_primary_image_handle(context_, &handle_);
    }
    ~PrimaryPicture() {
        if (handle_)
            heif_image_handle_release(handle_);
        if (context_)
            heif_context_free(context_);
    }
    PrimaryPicture(const PrimaryPicture&) = delete;
    PrimaryPicture& operator=(const PrimaryPicture&) = delete;

    heif_image_handle* handle() const { return handle_; }

private:
    heif_context* context_;
    heif_image_handle* handle_ = nullptr;
};

} // namespace

QImage decodeHeif(const QByteArray& data, const Box& box) {
    const PrimaryPicture primary(data);
    heif_image_handle* handle = primary.handle();
    if (!handle || !rasterSizeAllowed(heif_image_handle_get_width(handle),
                                      heif_image_handle_get_height(handle)))
        return {};

    // libheif turns and mirrors the picture as the file says (irot, imir).
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle);
    const bool fourBytes =
        alpha ||
        shrinksToFit({heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)}, 1,
                     box);
    heif_decoding_options* options = heif_decoding_options_alloc();
    if (!options)
        return {};
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        handle, &decoded, heif_colorspace_RGB,
        fourBytes ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options);
    heif_decoding_options_free(options);
    if (error.code != heif_error_Ok || !decoded)
        return {};
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!pixels || !rasterSizeAllowed(width, height)) {
        heif_image_release(decoded);
        return {};
    }
    // The image reads libheif's pixels in place and releases them when it goes.
    QImage::Format format = fourBytes ? QImage::Format_RGBX8888 : QImage::Format_RGB888;
    if (alpha)
        format = premultiplied ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBA8888;
    const QImage image(pixels, width, height, stride, format, releaseImage, decoded);
    return uprightWithin(image, 1, box);
}

// The primary picture's size after its rotation, read from the container.
QSize measureHeif(const QByteArray& data) {
    const PrimaryPicture primary(data);
    if (!primary.handle())
        return {};
    return {heif_image_handle_get_width(primary.handle()),
            heif_image_handle_get_height(primary.handle())};
}

} // namespace vlm::decoder
