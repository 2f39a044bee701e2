#include "favorites/favoritesfile.h"

#include "common/linefile.h"
#include "common/safewrite.h"

#include <QFileInfo>

namespace vlm {

std::optional<QStringList> readFavoritesFile(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return QStringList();
    return readLineFile(path, kMaxFavoritesFileBytes);
}

bool writeFavoritesFile(const QString& path, const QStringList& folders, QString* error) {
    return writeFileAtomically(path, encodeLines(folders), error);
}

} // namespace vlm
