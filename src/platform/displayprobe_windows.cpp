#include "platform/displayprobe.h"

namespace vlm {

// A Windows session always has its desktop.
bool displayAvailable(const QProcessEnvironment&) {
    return true;
}

} // namespace vlm
