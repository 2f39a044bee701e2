#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vlm {

// A favourites file is a handful of folder paths; anything this large is not one.
inline constexpr qint64 kMaxFavoritesFileBytes = 4LL * 1024 * 1024;

// The favourite folders stored in the file, one per line (CR or CR LF ends a line, a lone LF
// stays inside the entry, the last line counts without a line end). A missing file holds no
// folders; nullopt when the file is there but cannot be read (unreadable, not a regular file,
// too large), so that it is not overwritten.
std::optional<QStringList> readFavoritesFile(const QString& path);

// Writes the folders with CR LF after every line (no folders: an empty file), atomically;
// false leaves the old file intact.
bool writeFavoritesFile(const QString& path, const QStringList& folders, QString* error = nullptr);

} // namespace vlm
