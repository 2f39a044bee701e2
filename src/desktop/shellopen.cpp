#include "desktop/shellopen.h"

#include <QDesktopServices>
#include <QUrl>

namespace vlm {

ShellOpenResult ShellOpen(const QString& target) {
    const QUrl url(target, QUrl::StrictMode);
    // A relative text would be taken for a local file; only real addresses are opened.
    if (!url.isValid() || url.isRelative())
        return kShellOpenFailed;
    return QDesktopServices::openUrl(url) ? kShellOpened : kShellOpenFailed;
}

} // namespace vlm
