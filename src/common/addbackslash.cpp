#include "common/addbackslash.h"

namespace vlm {

QString AddBackslash(const QString& path, QChar separator) {
    if (!path.isEmpty() && path.back() == separator)
        return path;
    return path + separator;
}

} // namespace vlm
