#include "wallpaper/randomindex.h"

#include <cmath>

namespace vlm {

int RandomIndex(int upper, int lower, RandomSource& random, double secondsSinceMidnight) {
    random.reseed(secondsSinceMidnight);
    const double r = random.next();
    const double span = static_cast<double>(upper) - lower + 1.0;
    return static_cast<int>(std::floor(span * r) + lower);
}

} // namespace vlm
