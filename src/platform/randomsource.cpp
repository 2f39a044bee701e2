#include "platform/randomsource.h"

#include <bit>
#include <cstdint>

namespace vlm {

void MersenneRandom::reseed(double seed) {
    const auto bits = std::bit_cast<std::uint64_t>(seed);
    std::seed_seq sequence{static_cast<std::uint32_t>(bits),
                           static_cast<std::uint32_t>(bits >> 32)};
    engine_.seed(sequence);
}

float MersenneRandom::next() {
    // 24 random bits give every float in [0, 1) on an even grid and never 1.0.
    return static_cast<float>(engine_() >> 8) / 16777216.0f;
}

} // namespace vlm
