#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vlm {

// A list box holds at most this many entries (16-bit signed indices).
inline constexpr int kMaxCollectionEntries = 32767;

// Collection files larger than this are not read: far beyond 32,767 long paths.
inline constexpr qint64 kMaxCollectionFileBytes = 64LL * 1024 * 1024;

// The lines of a collection file (CR or CR LF ends a line, a lone LF stays in the entry);
// nullopt when the file cannot be opened or read or is not a regular file.
std::optional<QStringList> readCollectionFile(const QString& path);

// Writes every entry with CR LF after it, atomically; false (old file intact) on failure.
bool writeCollectionFile(const QString& path, const QStringList& entries, QString* error = nullptr);

} // namespace vlm
