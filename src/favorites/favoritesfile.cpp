#include "favorites/favoritesfile.h"

#include "common/linefile.h"
#include "common/safewrite.h"

namespace vlm {

std::optional<QStringList> readFavoritesFile(const QString& path) {
    return readLineFile(path, kMaxFavoritesFileBytes);
}

bool writeFavoritesFile(const QString& path, const QStringList& folders, QString* error) {
    return writeFileAtomically(path, encodeLines(folders), error);
}

} // namespace vlm
