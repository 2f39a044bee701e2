#include "wallpaper/backendchoice.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace vlm;

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

struct Case {
    const char* description;
    std::initializer_list<std::pair<const char*, const char*>> environment;
    std::initializer_list<const char*> running;
    std::initializer_list<const char*> installed;
    const char* expected;
};

QProcessEnvironment environmentOf(const Case& c) {
    QProcessEnvironment environment;
    for (const auto& [name, value] : c.environment)
        environment.insert(QString::fromUtf8(name), QString::fromUtf8(value));
    return environment;
}

const Case cases[] = {
    {"GNOME on Wayland",
     {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"WAYLAND_DISPLAY", "wayland-0"}},
     {},
     {},
     "gnome"},
    {"Ubuntu's GNOME",
     {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}, {"DISPLAY", ":0"}},
     {},
     {},
     "gnome"},
    {"Budgie", {{"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}, {}, {}, "gnome"},
    {"Pantheon", {{"XDG_CURRENT_DESKTOP", "Pantheon"}}, {}, {}, "gnome"},
    {"Unity", {{"XDG_CURRENT_DESKTOP", "Unity"}}, {}, {}, "gnome"},
    {"Cinnamon", {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}, {"DISPLAY", ":0"}}, {}, {}, "cinnamon"},
    {"MATE without caja still uses its settings",
     {{"XDG_CURRENT_DESKTOP", "MATE"}, {"DISPLAY", ":0"}},
     {},
     {},
     "mate"},
    {"Deepin", {{"XDG_CURRENT_DESKTOP", "Deepin"}}, {}, {}, "deepin"},
    {"KDE Plasma",
     {{"XDG_CURRENT_DESKTOP", "KDE"}, {"WAYLAND_DISPLAY", "wayland-0"}},
     {},
     {},
     "plasma"},
    {"Plasma by session name only",
     {{"DESKTOP_SESSION", "/usr/share/xsessions/plasma"}, {"DISPLAY", ":0"}},
     {},
     {},
     "plasma"},
    {"XFCE with xfdesktop",
     {{"XDG_CURRENT_DESKTOP", "XFCE"}, {"DISPLAY", ":0"}},
     {"xfdesktop"},
     {},
     "xfce"},
    {"XFCE without a desktop program draws on the root",
     {{"XDG_CURRENT_DESKTOP", "XFCE"}, {"DISPLAY", ":0"}},
     {},
     {},
     "x11"},
    {"LXQt", {{"XDG_CURRENT_DESKTOP", "LXQt"}, {"DISPLAY", ":0"}}, {"pcmanfm-qt"}, {}, "lxqt"},
    {"LXDE", {{"XDG_SESSION_DESKTOP", "LXDE"}, {"DISPLAY", ":0"}}, {"pcmanfm"}, {}, "lxde"},
    {"sway", {{"XDG_CURRENT_DESKTOP", "sway"}, {"WAYLAND_DISPLAY", "wayland-1"}}, {}, {}, "sway"},
    {"sway socket without desktop names",
     {{"SWAYSOCK", "/run/user/1000/sway-ipc.sock"}, {"WAYLAND_DISPLAY", "wayland-1"}},
     {},
     {"swaymsg"},
     "sway"},
    {"Hyprland with hyprpaper",
     {{"XDG_CURRENT_DESKTOP", "Hyprland"}, {"WAYLAND_DISPLAY", "wayland-1"}},
     {"hyprpaper"},
     {},
     "hyprland"},
    {"Hyprland without hyprpaper",
     {{"XDG_CURRENT_DESKTOP", "Hyprland"}, {"WAYLAND_DISPLAY", "wayland-1"}},
     {},
     {"swaybg"},
     "swaybg"},
    {"river with swaybg",
     {{"XDG_CURRENT_DESKTOP", "river"}, {"WAYLAND_DISPLAY", "wayland-1"}},
     {},
     {"swaybg"},
     "swaybg"},
    {"unknown Wayland without swaybg",
     {{"XDG_CURRENT_DESKTOP", "Weston"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
     {},
     {},
     "portal"},
    {"unknown desktop, plasmashell runs",
     {{"XDG_CURRENT_DESKTOP", "Custom"}, {"DISPLAY", ":0"}},
     {"plasmashell"},
     {},
     "plasma"},
    {"i3 on X11", {{"XDG_CURRENT_DESKTOP", "i3"}, {"DISPLAY", ":0"}}, {}, {}, "x11"},
    {"bare X11", {{"DISPLAY", ":1"}}, {}, {}, "x11"},
    {"no display at all", {}, {}, {}, "none"},
    {"override wins",
     {{"VLM_WALLPAPER_BACKEND", "x11"}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
     {},
     {},
     "x11"},
    {"override by alias and case",
     {{"VLM_WALLPAPER_BACKEND", " KDE "}, {"DISPLAY", ":0"}},
     {},
     {},
     "plasma"},
    {"unknown override is ignored",
     {{"VLM_WALLPAPER_BACKEND", "bogus"}, {"XDG_CURRENT_DESKTOP", "MATE"}},
     {},
     {},
     "mate"},
    {"a user command beats detection",
     {{"VLM_WALLPAPER_COMMAND", "feh --bg-fill %f"}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
     {},
     {},
     "command"},
    {"a blank user command does not",
     {{"VLM_WALLPAPER_COMMAND", "  "}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
     {},
     {},
     "gnome"},
    {"override beats the user command",
     {{"VLM_WALLPAPER_BACKEND", "none"}, {"VLM_WALLPAPER_COMMAND", "feh %f"}},
     {},
     {},
     "none"},
};

TEST(BackendChoice, EnvironmentAndRunningProgramsDecide) {
    for (const Case& c : cases) {
        FakeProbe probe;
        for (const char* name : c.running)
            probe.running.insert(QString::fromUtf8(name));
        for (const char* name : c.installed)
            probe.installed.insert(QString::fromUtf8(name));
        EXPECT_EQ(chooseWallpaperBackend(environmentOf(c), probe).toStdString(), c.expected)
            << c.description;
    }
}

TEST(BackendChoice, TheOperatingSystemsOwnCallComesAfterTheUsersChoices) {
    FakeProbe probe;
    probe.native = QStringLiteral("windows");
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    EXPECT_EQ(chooseWallpaperBackend(environment, probe), u"windows");
    environment.insert(QStringLiteral("VLM_WALLPAPER_COMMAND"), QStringLiteral("setbg %f"));
    EXPECT_EQ(chooseWallpaperBackend(environment, probe), u"command");
}

TEST(BackendChoice, EveryNameTheOverrideAcceptsBuildsThatBackend) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VLM_WALLPAPER_COMMAND"), QStringLiteral("true %f"));
    for (const QString& name : wallpaperBackendNames()) {
        EXPECT_EQ(canonicalBackendName(name), name);
        if (name == u"windows")
            continue; // not on this system
        const auto backend = createWallpaperBackendNamed(name, environment);
        ASSERT_TRUE(backend);
        EXPECT_EQ(backend->name(), name);
    }
    EXPECT_EQ(createWallpaperBackendNamed(QStringLiteral("windows"), environment)->name(), u"none");
}

} // namespace
