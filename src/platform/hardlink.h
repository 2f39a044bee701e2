#pragma once

#include <QString>

namespace vlm {

// Makes `to` a second name of the file `from`; false where the file system or the system
// cannot (the caller then copies).
bool hardLink(const QString& from, const QString& to);

} // namespace vlm
