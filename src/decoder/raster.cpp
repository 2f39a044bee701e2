#include "common/decodewire.h"
#include "decoder/decoders.h"

#include <QScopeGuard>
#include <QTransform>
#include <libexif/exif-data.h>

namespace vlm::decoder {

namespace {
Refusal lastRefusal = Refusal::None;
} // namespace

void noteRefusal(Refusal refusal) {
    lastRefusal = refusal;
}

Refusal refusal() {
    return lastRefusal;
}

bool rasterSizeAllowed(qint64 width, qint64 height) {
    const auto& limits = decodewire::kRaster;
    const bool allowed = width > 0 && height > 0 && width <= limits.maxSide &&
                         height <= limits.maxSide &&
                         quint64(width) * quint64(height) <= limits.maxPixels;
    if (!allowed && width > 0 && height > 0)
        noteRefusal(Refusal::TooLarge);
    return allowed;
}

int exifOrientation(const QByteArray& exif) {
    // libexif wants the "Exif\0\0" prefix, which WebP files usually leave off.
    static const QByteArray prefix("Exif\0\0", 6);
    const QByteArray block = exif.startsWith(prefix) ? exif : prefix + exif;
    ExifData* data = exif_data_new_from_data(reinterpret_cast<const unsigned char*>(block.data()),
                                             unsigned(block.size()));
    if (!data)
        return 1;
    const auto release = qScopeGuard([data] { exif_data_unref(data); });
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
    return value >= 1 && value <= 8 ? value : 1;
}

namespace {

// The box for the stored picture: a quarter turn swaps its sides.
Box storedBox(int orientation, const Box& box) {
    return orientation >= 5 && orientation <= 8 ? Box{box.size.transposed(), box.cover} : box;
}

} // namespace

bool shrinksToFit(QSize stored, int orientation, const Box& box) {
    return photoSize(stored, storedBox(orientation, box)) != stored;
}

QImage uprightWithin(QImage image, int orientation, const Box& box) {
    // Scaled first, so only the smaller picture is turned.
    const QSize scaled = photoSize(image.size(), storedBox(orientation, box));
    if (scaled != image.size())
        image = image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Orientations 2 to 8: a mirror, then (from 5 on) a quarter turn clockwise.
    static constexpr struct {
        bool horizontal, vertical;
        int degrees;
    } kSteps[] = {{false, false, 0},  {false, false, 0}, {true, false, 0},
                  {true, true, 0},    {false, true, 0},  {false, true, 90},
                  {false, false, 90}, {true, false, 90}, {false, false, 270}};
    const auto& step = kSteps[orientation >= 1 && orientation <= 8 ? orientation : 0];
    if (step.horizontal || step.vertical)
        image = std::move(image).mirrored(step.horizontal, step.vertical);
    if (step.degrees != 0)
        image = image.transformed(QTransform().rotate(step.degrees));
    return image;
}

} // namespace vlm::decoder
