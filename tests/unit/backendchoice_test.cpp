#include "wallpaper/backendchoice.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace vlm;
using namespace Qt::Literals::StringLiterals;

namespace {

class FakeProbe final : public SessionProbe {
public:
    QSet<QString> running;
    QSet<QString> installed;
    QString native;
    bool isRunning(const QString& name) const override { return running.contains(name); }
    bool isInstalled(const QString& name) const override { return installed.contains(name); }
    QString nativeBackend() const override { return native; }
};

// environment: NAME=value pairs split by ';'; running and installed: one program or none;
// native: the operating system's own call.
struct Case {
    const char* environment;
    const char* running;
    const char* installed;
    const char* expected;
    const char* native = "";
};

const Case cases[] = {
    {"XDG_CURRENT_DESKTOP=GNOME;WAYLAND_DISPLAY=wayland-0", "", "", "gnome"},
    {"XDG_CURRENT_DESKTOP=ubuntu:GNOME;DISPLAY=:0", "", "", "gnome"},
    {"XDG_CURRENT_DESKTOP=KDE;WAYLAND_DISPLAY=wayland-0", "", "", "plasma"},
    {"DESKTOP_SESSION=/usr/share/xsessions/plasma;DISPLAY=:0", "", "", "plasma"},
    {"XDG_CURRENT_DESKTOP=XFCE;DISPLAY=:0", "xfdesktop", "", "xfce"},
    {"XDG_CURRENT_DESKTOP=XFCE;DISPLAY=:0", "", "", "x11"}, // no desktop program: the root
    {"XDG_SESSION_DESKTOP=LXDE;DISPLAY=:0", "pcmanfm", "", "lxde"},
    {"SWAYSOCK=/run/user/1000/sway-ipc.sock;WAYLAND_DISPLAY=wayland-1", "", "swaymsg", "sway"},
    {"XDG_CURRENT_DESKTOP=Hyprland;WAYLAND_DISPLAY=wayland-1", "", "swaybg", "swaybg"},
    {"XDG_CURRENT_DESKTOP=river;WAYLAND_DISPLAY=wayland-1", "", "swaybg", "swaybg"},
    {"XDG_CURRENT_DESKTOP=Weston;WAYLAND_DISPLAY=wayland-0;DISPLAY=:0", "", "", "portal"},
    {"XDG_CURRENT_DESKTOP=Custom;DISPLAY=:0", "plasmashell", "", "plasma"},
    {"XDG_CURRENT_DESKTOP=i3;DISPLAY=:0", "", "", "x11"},
    {"", "", "", "none"},
    {"XDG_CURRENT_DESKTOP=GNOME", "", "", "windows", "windows"},
    {"VLM_WALLPAPER_BACKEND=x11;XDG_CURRENT_DESKTOP=GNOME", "", "", "x11", "windows"},
    {"VLM_WALLPAPER_BACKEND= KDE ;DISPLAY=:0", "", "", "plasma"},
    {"VLM_WALLPAPER_BACKEND=bogus;XDG_CURRENT_DESKTOP=MATE", "", "", "mate"},
    {"VLM_WALLPAPER_COMMAND=feh %f;XDG_CURRENT_DESKTOP=GNOME", "", "", "command", "windows"},
    {"VLM_WALLPAPER_COMMAND=  ;XDG_CURRENT_DESKTOP=GNOME", "", "", "gnome"},
    {"VLM_WALLPAPER_BACKEND=none;VLM_WALLPAPER_COMMAND=feh %f", "", "", "none"},
};

TEST(BackendChoice, TheUsersChoiceThenTheSystemThenTheSessionDecide) {
    for (const Case& c : cases) {
        QProcessEnvironment environment;
        for (const QString& pair : QString::fromUtf8(c.environment).split(u';', Qt::SkipEmptyParts))
            environment.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        FakeProbe probe;
        if (*c.running)
            probe.running.insert(QString::fromUtf8(c.running));
        if (*c.installed)
            probe.installed.insert(QString::fromUtf8(c.installed));
        probe.native = QString::fromUtf8(c.native);
        EXPECT_EQ(chooseWallpaperBackend(environment, probe).toStdString(), c.expected)
            << c.environment << " running " << c.running << " installed " << c.installed;
    }
}

TEST(BackendChoice, EveryNameTheOverrideAcceptsBuildsThatBackend) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"VLM_WALLPAPER_COMMAND"_s, u"true %f"_s);
    for (const QString& name : wallpaperBackendNames()) {
        EXPECT_EQ(canonicalBackendName(name), name);
        const auto backend = createWallpaperBackendNamed(name, environment);
        ASSERT_TRUE(backend);
        // windows does not exist on this system and falls back to none
        EXPECT_EQ(backend->name(), name == u"windows" ? u"none"_s : name);
    }
}

} // namespace
