#include "common/decodewire.h"
#include "decoder/decoders.h"

#include <QImage>
#include <algorithm>
#include <cmath>

namespace vlm::decoder {

namespace {

double scaleFor(double width, double height, const Box& box) {
    const double across = box.size.width() / width;
    const double down = box.size.height() / height;
    return box.cover ? std::max(across, down) : std::min(across, down);
}

// Rounded up when covering, so that the picture still covers; down when fitting, as Qt does.
int side(double value, const Box& box) {
    const double rounded = box.cover ? std::ceil(value - 1e-6) : std::floor(value + 1e-6);
    return static_cast<int>(std::clamp(rounded, 1.0, 1e9));
}

} // namespace

QSize drawingSize(double naturalWidth, double naturalHeight, const Box& box) {
    if (!(naturalWidth > 0 && naturalHeight > 0) || !std::isfinite(naturalWidth) ||
        !std::isfinite(naturalHeight) || box.size.isEmpty())
        return {};
    double scale = scaleFor(naturalWidth, naturalHeight, box);
    // A very long, thin drawing covering a screen would be huge: it stays within the limits.
    const auto& limits = decodewire::kDrawing;
    const double largest = std::max(naturalWidth, naturalHeight) * scale;
    if (largest > limits.maxSide)
        scale *= limits.maxSide / largest;
    const double pixels = naturalWidth * scale * naturalHeight * scale;
    if (pixels > double(limits.maxPixels))
        scale *= std::sqrt(double(limits.maxPixels) / pixels);
    return {std::min(side(naturalWidth * scale, box), int(limits.maxSide)),
            std::min(side(naturalHeight * scale, box), int(limits.maxSide))};
}

QImage drawingCanvas(QSizeF natural, const Box& box) {
    const QSize size = drawingSize(natural.width(), natural.height(), box);
    if (!size.isValid())
        return {};
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    if (!canvas.isNull())
        canvas.fill(Qt::transparent);
    return canvas;
}

QSize photoSize(QSize natural, const Box& box) {
    if (natural.isEmpty() || box.size.isEmpty())
        return natural;
    const double scale = scaleFor(natural.width(), natural.height(), box);
    if (scale >= 1)
        return natural;
    return {std::min(side(natural.width() * scale, box), natural.width()),
            std::min(side(natural.height() * scale, box), natural.height())};
}

} // namespace vlm::decoder
