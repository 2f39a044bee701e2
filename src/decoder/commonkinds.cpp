// The kinds of vlm-decode-common: only what Qt and libjpeg decode.
#include "common/decodewire.h"
#include "decoder/kinds.h"

#include <iterator>

namespace vlm::decoder {

static_assert(
    [] {
        for (const Kind& kind : kCommonKinds)
            if (!decodewire::isCommonKind(kind.name))
                return false;
        return std::size(kCommonKinds) == 5;
    }(),
    "the program sends vlm-decode-common exactly the kinds it decodes");

const Kind* findKind(std::string_view name) {
    for (const Kind& kind : kCommonKinds)
        if (kind.name == name)
            return &kind;
    return nullptr;
}

} // namespace vlm::decoder
