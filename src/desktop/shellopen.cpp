#include "desktop/shellopen.h"

#include <QDesktopServices>
#include <QUrl>

namespace vlm {

int ShellOpen(const QString& target) {
    const QUrl url(target, QUrl::StrictMode);
    // A relative text would be taken for a local file; only real addresses are opened.
    if (!url.isValid() || url.isRelative())
        return 0;
    return QDesktopServices::openUrl(url) ? 33 : 0;
}

} // namespace vlm
