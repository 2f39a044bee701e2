// The kinds of vlm-decode: every kind the program shows.
#include "decoder/kinds.h"

namespace vlm::decoder {

namespace {

constexpr Kind kOtherKinds[] = {
    {"wmf", renderWmf},   {"emf", renderEmf, nullptr, true}, {"webp", decodeWebp},
    {"tiff", decodeTiff}, {"heif", decodeHeif, measureHeif}, {"jxl", decodeJxl},
    {"svg", decodeSvg},
};

} // namespace

const Kind* findKind(std::string_view name) {
    for (const Kind& kind : kCommonKinds)
        if (kind.name == name)
            return &kind;
    for (const Kind& kind : kOtherKinds)
        if (kind.name == name)
            return &kind;
    return nullptr;
}

} // namespace vlm::decoder
