#pragma once

#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/filedialogs.h"
#include "platform/messagebox.h"
#include "platform/picturesource.h"
#include "platform/programfacts.h"
#include "platform/randomsource.h"
#include "platform/settingsstore.h"
#include "wallpaper/wallpaperbackend.h"

#include <QLocale>

namespace vlm {

// Everything the window and the owners of its controls ask of the outside world. The program
// passes the real services; tests pass fakes.
struct Services {
    MessageBox& messages;
    SettingsStore& settings;
    FileDialogs& dialogs;
    Clock& clock;
    RandomSource& random;
    WallpaperBackend& wallpaper;
    AutostartStore& autostart;
    PictureSource& pictures;
    ProgramFacts facts;
    QLocale locale;
    // Whether a tray can show the icon; null asks the platform.
    bool (*trayAvailable)() = nullptr;
    // Whether the volume with this root can be opened; null asks the system.
    bool (*volumeUsable)(const QString& root) = nullptr;
    // The size, in device pixels, that a wallpaper must cover (the widest and the tallest
    // monitor); null asks the screens.
    QSize (*wallpaperSize)() = nullptr;
    // The monitors a composed wallpaper is laid out for; null asks the screens.
    QList<Monitor> (*monitors)() = nullptr;
};

inline QList<Monitor> wallpaperMonitors(const Services& services) {
    return services.monitors ? services.monitors() : screenMonitors();
}

// The size a wallpaper must cover, as services give it.
inline QSize wallpaperCoverSize(const Services& services) {
    return services.wallpaperSize ? services.wallpaperSize() : screensCoverSize();
}

} // namespace vlm
