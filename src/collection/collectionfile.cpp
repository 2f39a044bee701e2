#include "collection/collectionfile.h"

#include "common/linefile.h"
#include "common/safewrite.h"

namespace vlm {

std::optional<QStringList> readCollectionFile(const QString& path) {
    return readLineFile(path, kMaxCollectionFileBytes);
}

bool writeCollectionFile(const QString& path, const QStringList& entries, QString* error) {
    return writeFileAtomically(path, encodeLines(entries), error);
}

} // namespace vlm
