#pragma once

#include "wallpaper/backends/failurereporter.h"
#include "wallpaper/wallpaperbackend.h"

namespace vlm {

// SystemParametersInfoW(SPI_SETDESKWALLPAPER): stores the choice in the user profile and tells
// every window. Windows reloads the file even when the path stays the same.
class WindowsBackend final : public WallpaperBackend {
public:
    WindowsBackend();
    QString name() const override { return QStringLiteral("windows"); }
    void apply(const QString& bitmapPath, const QImage& picture) override;

private:
    FailureReporter reporter_;
};

} // namespace vlm
