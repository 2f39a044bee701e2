#include "platform/hardlink.h"

#include <QFile>
#include <unistd.h>

namespace vlm {

bool hardLink(const QString& from, const QString& to) {
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace vlm
