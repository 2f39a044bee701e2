#include "wallpaper/backendchoice.h"
#include "wallpaper/backends/commandbackend.h"
#include "wallpaper/backends/gsettingsbackend.h"
#include "wallpaper/backends/plasmabackend.h"
#include "wallpaper/backends/portalbackend.h"
#include "wallpaper/backends/swaybgbackend.h"
#include "wallpaper/backends/x11rootbackend.h"
#include "wallpaper/backends/xfcebackend.h"

#include <QDBusConnection>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

namespace vlm {
namespace {

QString linkFolder(const QProcessEnvironment& environment) {
    QString home = environment.value(QStringLiteral("HOME"));
    if (home.isEmpty())
        home = QDir::homePath();
    return AlternatingPath::defaultFolder(environment.value(QStringLiteral("XDG_DATA_HOME")), home);
}

// Output names as the X server knows them, for desktops that keep settings per output.
QStringList outputNames() {
    QStringList names;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        for (const QScreen* screen : QGuiApplication::screens())
            names.append(screen->name());
    }
    names.removeAll(QString());
    return names;
}

} // namespace

std::unique_ptr<WallpaperBackend>
createWallpaperBackendNamed(const QString& name, const QProcessEnvironment& environment) {
    if (name == u"x11")
        return std::make_unique<X11RootBackend>(environment.value(QStringLiteral("DISPLAY")),
                                                FailureReporter::Sink(),
                                                X11RootBackend::qtConnection());
    if (name == u"gnome")
        return GSettingsBackend::gnome(environment, linkFolder(environment));
    if (name == u"cinnamon")
        return GSettingsBackend::cinnamon(environment, linkFolder(environment));
    if (name == u"mate")
        return GSettingsBackend::mate(environment, linkFolder(environment));
    if (name == u"deepin")
        return GSettingsBackend::deepin(environment, linkFolder(environment));
    if (name == u"xfce")
        return std::make_unique<XfceBackend>(environment, outputNames());
    if (name == u"plasma")
        return std::make_unique<PlasmaBackend>(QDBusConnection::sessionBus(),
                                               linkFolder(environment));
    if (name == u"portal")
        return std::make_unique<PortalBackend>(QDBusConnection::sessionBus(),
                                               linkFolder(environment));
    if (name == u"lxqt")
        return CommandBackend::lxqt(environment, linkFolder(environment));
    if (name == u"lxde")
        return CommandBackend::lxde(environment, linkFolder(environment));
    if (name == u"sway")
        return CommandBackend::sway(environment, linkFolder(environment));
    if (name == u"swaybg")
        return std::make_unique<SwaybgBackend>(environment);
    if (name == u"hyprland")
        return CommandBackend::hyprpaper(environment, linkFolder(environment));
    if (name == u"command") {
        if (auto backend = CommandBackend::userCommand(
                environment.value(QStringLiteral("VLM_WALLPAPER_COMMAND")), environment))
            return backend;
    }
    return std::make_unique<NoWallpaperBackend>();
}

} // namespace vlm
