#include "platform/clock.h"

namespace vlm {

double secondsSinceMidnight(const QDateTime& moment) {
    return moment.time().msecsSinceStartOfDay() / 1000.0;
}

} // namespace vlm
