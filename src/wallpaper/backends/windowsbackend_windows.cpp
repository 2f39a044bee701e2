#include "wallpaper/backends/windowsbackend.h"

#include <QDir>
#include <windows.h>

namespace vlm {

WindowsBackend::WindowsBackend() : reporter_(QStringLiteral("windows")) {}

void WindowsBackend::apply(const QString& bitmapPath, const QImage&) {
    // The wide call takes any path; the ANSI one would lose characters outside the code page.
    std::wstring path = QDir::toNativeSeparators(bitmapPath).toStdWString();
    const BOOL ok = SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(),
                                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    if (!ok) {
        reporter_.report(QStringLiteral("spi"),
                         QStringLiteral("SystemParametersInfoW failed (error %1)")
                             .arg(static_cast<qulonglong>(GetLastError())));
    }
    reportFinished(ok != FALSE);
}

} // namespace vlm
