#include "wallpaper/backends/failurereporter.h"

#include "common/logging.h"

#include <utility>

namespace vlm {

FailureReporter::FailureReporter(QString backendName, Sink sink)
    : backendName_(std::move(backendName)), sink_(std::move(sink)) {
    if (!sink_) {
        sink_ = [](const QString& line) { qCWarning(wallpaperLog).noquote() << line; };
    }
}

void FailureReporter::report(const QString& kind, const QString& detail) {
    if (reported_.contains(kind))
        return;
    reported_.insert(kind);
    // One line, whatever the failing tool printed.
    QString text = detail.simplified();
    if (text.size() > 500)
        text = text.left(500) + QStringLiteral("...");
    sink_(QStringLiteral("%1: %2").arg(backendName_, text));
}

} // namespace vlm
