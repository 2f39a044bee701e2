#include "wallpaper/backendchoice.h"

#include "common/logging.h"

#include <QHash>

namespace vlm {
namespace {

// Desktop and override names, lower case, to backend names.
const QHash<QString, QString>& aliases() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        const auto add = [&t](const QString& backend, std::initializer_list<const char*> names) {
            t.insert(backend, backend);
            for (const char* n : names)
                t.insert(QString::fromLatin1(n), backend);
        };
        add(QStringLiteral("x11"), {"xorg", "root"});
        add(QStringLiteral("gnome"), {"unity", "budgie", "budgie-desktop", "pantheon", "ubuntu",
                                      "gnome-classic", "gnome-xorg", "gnome-flashback", "pop"});
        add(QStringLiteral("cinnamon"), {"x-cinnamon", "cinnamon2d", "cinnamon-wayland"});
        add(QStringLiteral("mate"), {});
        add(QStringLiteral("deepin"), {"dde"});
        add(QStringLiteral("xfce"), {"xfce4", "xubuntu", "xfce-wayland"});
        add(QStringLiteral("plasma"),
            {"kde", "kde-plasma", "plasmawayland", "plasmax11", "plasma5", "plasma6"});
        add(QStringLiteral("lxqt"), {});
        add(QStringLiteral("lxde"), {"lubuntu"});
        add(QStringLiteral("sway"), {});
        add(QStringLiteral("swaybg"), {"wlroots", "river", "wayfire", "labwc", "niri"});
        add(QStringLiteral("hyprland"), {"hyprpaper"});
        add(QStringLiteral("portal"), {});
        add(QStringLiteral("command"), {});
        add(QStringLiteral("none"), {});
        add(QStringLiteral("windows"), {});
        return t;
    }();
    return table;
}

// Desktop names from the session variables, most specific first.
QStringList desktopNames(const QProcessEnvironment& environment) {
    QStringList names =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(u':', Qt::SkipEmptyParts);
    names.append(environment.value(QStringLiteral("XDG_SESSION_DESKTOP")));
    // Old display managers put a path here (/usr/share/xsessions/plasma).
    names.append(environment.value(QStringLiteral("DESKTOP_SESSION")).section(u'/', -1));
    QStringList result;
    for (const QString& name : std::as_const(names)) {
        const QString trimmed = name.trimmed().toLower();
        if (!trimmed.isEmpty())
            result.append(trimmed);
    }
    return result;
}

// Desktops whose wallpaper is drawn by a separate, optional program: without it the root
// window shows (on X11) or nothing of theirs does (on Wayland).
QString drawingProcess(const QString& backend) {
    if (backend == u"xfce")
        return QStringLiteral("xfdesktop");
    if (backend == u"lxqt")
        return QStringLiteral("pcmanfm-qt");
    if (backend == u"lxde")
        return QStringLiteral("pcmanfm");
    if (backend == u"hyprland")
        return QStringLiteral("hyprpaper");
    return {};
}

} // namespace

QStringList wallpaperBackendNames() {
    return {QStringLiteral("x11"),    QStringLiteral("gnome"),   QStringLiteral("cinnamon"),
            QStringLiteral("mate"),   QStringLiteral("deepin"),  QStringLiteral("xfce"),
            QStringLiteral("plasma"), QStringLiteral("lxqt"),    QStringLiteral("lxde"),
            QStringLiteral("sway"),   QStringLiteral("swaybg"),  QStringLiteral("hyprland"),
            QStringLiteral("portal"), QStringLiteral("command"), QStringLiteral("windows"),
            QStringLiteral("none")};
}

QString canonicalBackendName(const QString& name) {
    return aliases().value(name.trimmed().toLower());
}

QString chooseWallpaperBackend(const QProcessEnvironment& environment, const SessionProbe& probe) {
    const QString forced =
        canonicalBackendName(environment.value(QStringLiteral("VLM_WALLPAPER_BACKEND")));
    if (!forced.isEmpty())
        return forced;
    if (!environment.value(QStringLiteral("VLM_WALLPAPER_COMMAND")).trimmed().isEmpty())
        return QStringLiteral("command");
    const QString native = probe.nativeBackend();
    if (!native.isEmpty())
        return native;

    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                         environment.value(QStringLiteral("XDG_SESSION_TYPE")) == u"wayland";
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();

    for (const QString& desktop : desktopNames(environment)) {
        const QString backend = aliases().value(desktop);
        if (backend.isEmpty() || backend == u"command" || backend == u"none" ||
            backend == u"windows" || backend == u"portal" || backend == u"x11")
            continue;
        const QString drawer = drawingProcess(backend);
        const bool usable = backend == u"swaybg" ? probe.isInstalled(backend)
                                                 : drawer.isEmpty() || probe.isRunning(drawer);
        if (usable)
            return backend;
        break; // the desktop is known but does not draw a wallpaper: use the generic way
    }

    if (environment.contains(QStringLiteral("SWAYSOCK")) &&
        probe.isInstalled(QStringLiteral("swaymsg")))
        return QStringLiteral("sway");
    if (probe.isRunning(QStringLiteral("hyprpaper")))
        return QStringLiteral("hyprland");
    static const std::pair<const char*, const char*> drawers[] = {
        {"plasmashell", "plasma"}, {"gnome-shell", "gnome"}, {"cinnamon", "cinnamon"},
        {"mate-session", "mate"},  {"xfdesktop", "xfce"},    {"pcmanfm-qt", "lxqt"},
        {"pcmanfm", "lxde"},
    };
    for (const auto& [process, backend] : drawers) {
        if (probe.isRunning(QString::fromLatin1(process)))
            return QString::fromLatin1(backend);
    }

    if (wayland)
        return probe.isInstalled(QStringLiteral("swaybg")) ? QStringLiteral("swaybg")
                                                           : QStringLiteral("portal");
    if (x11)
        return QStringLiteral("x11");
    return QStringLiteral("none");
}

std::unique_ptr<WallpaperBackend> createWallpaperBackend(const QProcessEnvironment& environment) {
    const QString forced = environment.value(QStringLiteral("VLM_WALLPAPER_BACKEND")).trimmed();
    if (!forced.isEmpty() && canonicalBackendName(forced).isEmpty()) {
        qCWarning(wallpaperLog).noquote()
            << QStringLiteral("VLM_WALLPAPER_BACKEND=%1 is not one of %2; choosing by the session")
                   .arg(forced, wallpaperBackendNames().join(u", "));
    }
    const auto probe = createSessionProbe(environment);
    return createWallpaperBackendNamed(chooseWallpaperBackend(environment, *probe), environment);
}

} // namespace vlm
