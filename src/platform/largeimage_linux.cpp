#include "platform/largeimage.h"

#include <cstdint>
#include <sys/mman.h>

namespace vlm {

namespace {

#if defined(MADV_HUGEPAGE)
constexpr size_t kHugePage = size_t{2} << 20;
// Below this the rounding to whole huge pages wastes more than the page faults cost.
constexpr size_t kLargeBytes = size_t{4} << 20;

struct Mapping {
    void* address;
    size_t length;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->address, mapping->length);
    delete mapping;
}
#endif

} // namespace

QImage newLargeImage(QSize size) {
    if (size.isEmpty())
        return {};
#if defined(MADV_HUGEPAGE)
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(size.height());
    if (bytes >= kLargeBytes) {
        // One huge page more than needed, so that the pixels can start on a huge-page boundary.
        const size_t used = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        const size_t length = used + kHugePage;
        void* address =
            mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (address == MAP_FAILED)
            return {};
        const auto start = (reinterpret_cast<std::uintptr_t>(address) + kHugePage - 1) &
                           ~std::uintptr_t{kHugePage - 1};
        auto* pixels = reinterpret_cast<uchar*>(start);
        madvise(pixels, used, MADV_HUGEPAGE); // a hint: without it the pages are small
        auto* mapping = new Mapping{address, length};
        QImage image(pixels, size.width(), size.height(), bytesPerLine, QImage::Format_RGB32, unmap,
                     mapping);
        if (image.isNull())
            unmap(mapping);
        return image;
    }
#endif
    return QImage(size, QImage::Format_RGB32);
}

} // namespace vlm
