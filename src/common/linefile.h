#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace vlm {

// Splits text into lines the way the program's files are read: a line ends at CR or at a
// CR LF pair (the terminator is not part of it), a lone LF stays inside the line, the last
// line counts without a terminator, and an empty text has no lines.
QStringList splitLines(const QString& text);

// Decodes a file's bytes: UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark
// is dropped), otherwise Windows-1250, so files from Czech Windows machines keep their paths.
QString decodeText(const QByteArray& bytes);

// Decodes Windows-1250 bytes; bytes the code page leaves undefined become U+FFFD.
QString decodeWindows1250(const QByteArray& bytes);

// Encodes lines as UTF-8 with CR LF after every line, the last one included.
QByteArray encodeLines(const QStringList& lines);

// Reads a whole file as lines; nullopt when it cannot be opened or read, or is not a regular
// file or is larger than maxBytes.
std::optional<QStringList> readLineFile(const QString& path, qint64 maxBytes);

} // namespace vlm
