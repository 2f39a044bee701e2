#include "common/safewrite.h"

#include <QSaveFile>

namespace vlm {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
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
    if (file.write(bytes) != bytes.size())
        return fail(file.errorString());
    if (!file.flush() || file.size() != bytes.size())
        return fail(file.errorString());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace vlm
