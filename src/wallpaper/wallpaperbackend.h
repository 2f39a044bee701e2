#pragma once

#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <memory>

namespace vlm {

// Makes a bitmap file the desktop wallpaper on one kind of desktop.
class WallpaperBackend {
public:
    virtual ~WallpaperBackend() = default;
    virtual QString name() const = 0;
    // Shows the bitmap at bitmapPath as the wallpaper. picture is the same picture in memory
    // (it may be null), for backends that draw it themselves. Returns at once or within a few
    // milliseconds: slow work (processes, D-Bus) runs asynchronously with a timeout. Failures
    // are never shown to the user; they are written to standard error once per kind.
    virtual void apply(const QString& bitmapPath, const QImage& picture) = 0;
};

// Chooses the backend for the running session; VLM_WALLPAPER_BACKEND overrides the choice.
std::unique_ptr<WallpaperBackend> createWallpaperBackend(const QProcessEnvironment& environment);

} // namespace vlm
