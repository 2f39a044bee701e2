#include "platform/largeimage.h"

#include <QCoreApplication>
#include <QMutex>
#include <QTimer>
#include <cstdint>
#include <sys/mman.h>

namespace vlm {

namespace {

#if defined(MADV_HUGEPAGE)
constexpr size_t kHugePage = size_t{2} << 20;
// Below this the rounding to whole huge pages wastes more than the page faults cost.
constexpr size_t kLargeBytes = size_t{4} << 20;
// How long the last freed mapping is kept for the next picture.
constexpr int kKeepMilliseconds = 3000;

struct Mapping {
    void* address = nullptr;
    size_t length = 0;
};

// The last large mapping freed, kept for a few seconds, as allocators keep freed memory before
// they return it: the kernel clears every new page, and clearing a screen's 8 MB costs a change
// as much as its whole share of the work. Pictures in quick succession (clicks on "next",
// several monitors, a short interval) take it again; a picture a minute later does not, and the
// memory is the system's again when the program sits idle.
class FreedMapping {
public:
    // The kept mapping when it is at least length long and not more than twice that.
    Mapping take(size_t length) {
        const QMutexLocker locked(&mutex_);
        if (kept_.length < length || kept_.length > 2 * length)
            return {};
        ++generation_;
        return std::exchange(kept_, {});
    }

    void keep(Mapping mapping) {
        auto* application = QCoreApplication::instance();
        if (!application)
            return release(mapping);
        quint64 generation = 0;
        {
            const QMutexLocker locked(&mutex_);
            std::swap(kept_, mapping);
            generation = ++generation_;
        }
        release(mapping); // the one kept before, if any
        // A timer of the application's thread: the image may be freed on any thread.
        QMetaObject::invokeMethod(application, [this, generation] {
            QTimer::singleShot(kKeepMilliseconds, [this, generation] { expire(generation); });
        });
    }

private:
    static void release(Mapping mapping) {
        if (mapping.address)
            munmap(mapping.address, mapping.length);
    }

    void expire(quint64 generation) {
        Mapping expired;
        {
            const QMutexLocker locked(&mutex_);
            if (generation != generation_)
                return; // taken or replaced since; a later timer is due for it
            expired = std::exchange(kept_, {});
        }
        release(expired);
    }

    QMutex mutex_;
    Mapping kept_;
    quint64 generation_ = 0;
};

FreedMapping& freedMapping() {
    static FreedMapping freed; // lives to the end, so that no timer outlives it
    return freed;
}

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    freedMapping().keep(*mapping);
    delete mapping;
}
#endif

} // namespace

QImage newLargeImage(QSize size, QImage::Format format) {
    Q_ASSERT(format == QImage::Format_RGB32 || format == QImage::Format_ARGB32);
    if (size.isEmpty())
        return {};
#if defined(MADV_HUGEPAGE)
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(size.height());
    if (bytes >= kLargeBytes) {
        // One huge page more than needed, so that the pixels can start on a huge-page boundary.
        const size_t used = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        Mapping mapping = freedMapping().take(used + kHugePage);
        if (!mapping.address) {
            mapping.length = used + kHugePage;
            mapping.address = mmap(nullptr, mapping.length, PROT_READ | PROT_WRITE,
                                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (mapping.address == MAP_FAILED)
                return {};
        }
        const auto start = (reinterpret_cast<std::uintptr_t>(mapping.address) + kHugePage - 1) &
                           ~std::uintptr_t{kHugePage - 1};
        auto* pixels = reinterpret_cast<uchar*>(start);
        madvise(pixels, used, MADV_HUGEPAGE); // a hint: without it the pages are small
        auto* kept = new Mapping(mapping);
        QImage image(pixels, size.width(), size.height(), bytesPerLine, format, unmap, kept);
        if (image.isNull())
            unmap(kept);
        return image;
    }
#endif
    return QImage(size, format);
}

} // namespace vlm
