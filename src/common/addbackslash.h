#pragma once

#include <QString>

namespace vlm {

// The program's one path separator. Files named in folders are always built with AddBackslash,
// which appends whatever separator it is given: by default this one, '/'.
inline constexpr QChar kPathSeparator = u'/';

// Returns path with separator appended unless its last character already is the separator;
// an empty path gives the separator alone.
QString AddBackslash(const QString& path, QChar separator = kPathSeparator);

} // namespace vlm
