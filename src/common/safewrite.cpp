#include "common/safewrite.h"

#include <QSaveFile>
#include <atomic>

namespace vlm {
namespace {
std::atomic_bool filesStopped{false};
} // namespace

void stopWritingFiles() {
    filesStopped = true;
}

bool writingFilesStopped() {
    return filesStopped;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    return writeFileAtomically(
        path, bytes.size(), [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); },
        error);
}

bool writeFileAtomically(const QString& path, qint64 size,
                         const std::function<bool(QIODevice&)>& write, QString* error) {
    if (writingFilesStopped()) {
        if (error)
            *error = QStringLiteral("the program was uninstalled");
        return false;
    }
    QSaveFile file(path);
    auto fail = [&](const QString& reason) {
        file.cancelWriting();
        if (error)
            *error = reason;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // A full disk can make write() report success for a short count; check every byte.
    if (!write(file))
        return fail(file.errorString());
    if (!file.flush() || file.size() != size)
        return fail(file.errorString());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace vlm
