#include "decoder/decoders.h"

#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace vlm::decoder {

namespace {

// The resolution only sets the drawing's natural size, of which only the aspect is kept.
constexpr double kDpi = 96.0;

// libwmf's gd image keeps 7-bit alpha where 0 is opaque and 127 transparent.
QRgb fromGdPixel(int pixel) {
    const auto p = static_cast<unsigned int>(pixel);
    const unsigned int transparency = (p >> 24) & 0x7fU;
    const unsigned int alpha = (127U - transparency) * 255U / 127U;
    return (alpha << 24) | (p & 0xffffffU);
}

class WmfSession {
public:
    WmfSession() {
        wmfAPI_Options options{};
        options.function = wmf_gd_function;
        if (wmf_api_create(&api_, WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL, &options) !=
            wmf_E_None) {
            destroy();
        }
    }
    ~WmfSession() { destroy(); }
    WmfSession(const WmfSession&) = delete;
    WmfSession& operator=(const WmfSession&) = delete;

    wmfAPI* api() const { return api_; }
    void setOpened() { opened_ = true; }

private:
    void destroy() {
        if (!api_)
            return;
        if (opened_)
            wmf_mem_close(api_);
        wmf_api_destroy(api_);
        api_ = nullptr;
    }

    wmfAPI* api_ = nullptr;
    bool opened_ = false;
};

} // namespace

QImage renderWmf(const QByteArray& data, const Box& box) {
    WmfSession session;
    wmfAPI* api = session.api();
    if (!api)
        return {};
    wmf_gd_t* gd = WMF_GD_GetData(api);
    gd->type = wmf_gd_image;

    // libwmf reads from the buffer without changing it, but its signature is not const.
    QByteArray bytes = data;
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size()) !=
        wmf_E_None)
        return {};
    session.setOpened();

    wmfD_Rect bbox{};
    if (wmf_scan(api, 0, &bbox) != wmf_E_None)
        return {};
    unsigned int naturalWidth = 0;
    unsigned int naturalHeight = 0;
    if (wmf_display_size(api, &naturalWidth, &naturalHeight, kDpi, kDpi) != wmf_E_None)
        return {};
    const QSize size = drawingSize(naturalWidth, naturalHeight, box);
    if (!size.isValid())
        return {};

    gd->bbox = bbox;
    gd->width = static_cast<unsigned int>(size.width());
    gd->height = static_cast<unsigned int>(size.height());
    if (wmf_play(api, 0, &bbox) != wmf_E_None || !gd->gd_image)
        return {};
    const int* pixels = wmf_gd_image_pixels(gd->gd_image);
    if (!pixels)
        return {};

    QImage image(size, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int* source = pixels + static_cast<qsizetype>(y) * size.width();
        for (int x = 0; x < size.width(); ++x)
            line[x] = fromGdPixel(source[x]);
    }
    return image;
}

} // namespace vlm::decoder
