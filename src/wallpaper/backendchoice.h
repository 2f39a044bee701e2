#pragma once

#include "wallpaper/wallpaperbackend.h"

#include <QStringList>

namespace vlm {

// What runs in the session; asked only when the environment does not settle the choice.
class SessionProbe {
public:
    virtual ~SessionProbe() = default;
    // A process of this user with this name (as in /proc/<pid>/comm) is running.
    virtual bool isRunning(const QString& processName) const = 0;
    // The program is found in the environment's PATH.
    virtual bool isInstalled(const QString& program) const = 0;
    // The operating system's own wallpaper call ("windows"), or empty where the session decides.
    virtual QString nativeBackend() const = 0;
};

// The probe of this machine (per-OS file).
std::unique_ptr<SessionProbe> createSessionProbe(const QProcessEnvironment& environment);

// The backend names VLM_WALLPAPER_BACKEND accepts, canonical ones first.
QStringList wallpaperBackendNames();
// A name from VLM_WALLPAPER_BACKEND or a desktop name, as its canonical backend name
// ("KDE" -> "plasma"); empty when unknown.
QString canonicalBackendName(const QString& name);

// The backend for this environment: VLM_WALLPAPER_BACKEND when it names one, then
// VLM_WALLPAPER_COMMAND when set, then the desktop named by XDG_CURRENT_DESKTOP,
// XDG_SESSION_DESKTOP and DESKTOP_SESSION, then what runs, then a generic Wayland or X11 way.
QString chooseWallpaperBackend(const QProcessEnvironment& environment, const SessionProbe& probe);

// The backend of that canonical name (per-OS file); the "none" backend for names this system
// lacks.
std::unique_ptr<WallpaperBackend>
createWallpaperBackendNamed(const QString& name, const QProcessEnvironment& environment);

// A backend that sets nothing, for sessions without a desktop (and VLM_WALLPAPER_BACKEND=none).
class NoWallpaperBackend final : public WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("none"); }
    void apply(const QString&, const QImage&) override {}
};

} // namespace vlm
