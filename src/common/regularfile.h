#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vlm {

// The bytes of the regular file at path, when it holds at most maxBytes. The file is opened once
// without waiting and checked on that descriptor, so a named pipe or a device (also one swapped
// in for the file between a check and the open) is refused at once instead of holding the
// caller.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

} // namespace vlm
