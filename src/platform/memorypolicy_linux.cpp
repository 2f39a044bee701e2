#include "platform/memorypolicy.h"

#include <malloc.h>

namespace vlm {

void returnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 128 * 1024); // glibc's default start, now fixed
#endif
}

} // namespace vlm
