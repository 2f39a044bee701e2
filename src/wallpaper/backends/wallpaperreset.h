#pragma once

#include "wallpaper/backends/processrunner.h"

#include <QDBusConnection>
#include <QObject>
#include <functional>

namespace vlm {

// After the uninstall deleted the bitmap, desktops that still name it would show nothing at the
// next login. This puts every wallpaper setting that names one of the program's bitmaps
// (a file name beginning with "vlmimage") back to the desktop's default: GNOME, Cinnamon and
// MATE (gsettings), XFCE (xfconf), KDE Plasma (plasmashell) and LXQt (pcmanfm-qt's settings).
// Settings that name other pictures, and desktops that are not installed, are left alone.
class DesktopWallpaperReset : public QObject {
public:
    DesktopWallpaperReset(const QProcessEnvironment& environment, QDBusConnection bus,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Starts the work; done runs from the event loop when everything has ended.
    void run(std::function<void()> done);

    // Whether a setting's value names one of the program's bitmaps.
    static bool namesOurBitmap(const QString& value);
    // The desktop script that resets every Plasma desktop showing one of them.
    static QString plasmaScript();

private:
    void resetGSettings(int index);
    void resetXfce();
    void resetPlasma();
    void resetLxqt() const;
    void finished();

    ProcessRunner runner_;
    QDBusConnection bus_;
    std::chrono::milliseconds timeout_;
    std::function<void()> done_;
    int pending_ = 0;
};

} // namespace vlm
