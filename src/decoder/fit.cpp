#include "decoder/decoders.h"

#include <algorithm>
#include <cmath>

namespace vlm::decoder {

QSize fitInside(double naturalWidth, double naturalHeight, QSize box) {
    if (!(naturalWidth > 0 && naturalHeight > 0) || !std::isfinite(naturalWidth) ||
        !std::isfinite(naturalHeight) || box.isEmpty())
        return {};
    const double scale = std::min(box.width() / naturalWidth, box.height() / naturalHeight);
    const auto side = [](double v, int limit) {
        return std::clamp(static_cast<int>(std::lround(v)), 1, limit);
    };
    return {side(naturalWidth * scale, box.width()), side(naturalHeight * scale, box.height())};
}

} // namespace vlm::decoder
