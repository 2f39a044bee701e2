#pragma once

#include "platform/randomsource.h"

namespace vlm {

// A whole number from lower to upper inclusive, drawn uniformly after reseeding the generator
// from the given seconds since midnight.
int RandomIndex(int upper, int lower, RandomSource& random, double secondsSinceMidnight);

} // namespace vlm
