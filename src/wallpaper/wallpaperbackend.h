#pragma once

#include "wallpaper/placement.h"

#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

namespace vlm {

// What a backend needs of a wallpaper the program composed itself.
enum class ComposedForm {
    LayoutInMemory, // the layout's image, drawn by the backend itself
    LayoutFile,     // one bitmap of the whole layout, which the desktop spans over it
    MonitorFiles,   // a bitmap per monitor, each stretched over its monitor
    FirstMonitor,   // the desktop takes one picture for all: the first monitor's
};

// A wallpaper composed for the monitors, to be shown unchanged.
struct ComposedWallpaper {
    QList<Monitor> monitors;
    QStringList bitmaps;  // each monitor's bitmap; only the first one unless MonitorFiles
    QString layoutBitmap; // LayoutFile: the bitmap of the layout's bounding box
    QImage layout;        // LayoutInMemory: the layout's bounding box
};

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

    // What applyComposed() needs. The default: one picture for all monitors.
    virtual ComposedForm composedForm() const { return ComposedForm::FirstMonitor; }
    // Shows a composed wallpaper with the desktop's placement set so that nothing is scaled
    // again (stretched over each monitor's exact size, or spanned over the layout). Reports
    // as apply() does.
    virtual void applyComposed(const ComposedWallpaper& wallpaper) {
        apply(wallpaper.bitmaps.value(0), QImage());
    }

    // handler runs on the thread that called apply(), from its event loop, when the work of the
    // latest apply() has ended; ok tells whether the desktop took the picture. Work superseded
    // by a newer apply() does not report. Tests and benchmarks wait on this.
    void setFinishedHandler(std::function<void(bool ok)> handler) {
        finishedHandler_ = std::move(handler);
    }

protected:
    void reportFinished(bool ok) const {
        if (finishedHandler_)
            finishedHandler_(ok);
    }

private:
    std::function<void(bool)> finishedHandler_;
};

// Chooses the backend for the running session; VLM_WALLPAPER_BACKEND overrides the choice and
// VLM_WALLPAPER_COMMAND (when set) names a command that sets the wallpaper ("%f" = the path).
std::unique_ptr<WallpaperBackend> createWallpaperBackend(const QProcessEnvironment& environment);

} // namespace vlm
