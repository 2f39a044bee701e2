#include "wallpaper/backends/wallpaperreset.h"

#include "common/addbackslash.h"
#include "wallpaper/backends/xfcebackend.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QSettings>
#include <memory>

namespace vlm {
namespace {

struct GSettingsValue {
    const char* schema;
    const char* key;
};

constexpr GSettingsValue kGSettingsValues[] = {
    {"org.gnome.desktop.background", "picture-uri"},
    {"org.gnome.desktop.background", "picture-uri-dark"},
    {"org.cinnamon.desktop.background", "picture-uri"},
    {"org.mate.background", "picture-filename"},
};

const QString kXfconf = QStringLiteral("xfconf-query");
const QString kXfceChannel = QStringLiteral("xfce4-desktop");

} // namespace

DesktopWallpaperReset::DesktopWallpaperReset(const QProcessEnvironment& environment,
                                             QDBusConnection bus, std::chrono::milliseconds timeout)
    : runner_(environment, timeout), bus_(std::move(bus)), timeout_(timeout) {}

bool DesktopWallpaperReset::namesOurBitmap(const QString& value) {
    // The bitmap, its per-desktop copies (vlmimage-0.bmp, ...) and any per-monitor bitmaps all
    // begin so; a URI keeps the name unescaped, as it holds no reserved character.
    return value.contains(QStringLiteral("/vlmimage"));
}

QString DesktopWallpaperReset::plasmaScript() {
    return QStringLiteral("desktops().forEach(function (d) {"
                          " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
                          " if (String(d.readConfig('Image')).indexOf('/vlmimage') >= 0)"
                          " { d.writeConfig('Image', ''); d.reloadConfig(); } });");
}

void DesktopWallpaperReset::run(std::function<void()> done) {
    done_ = std::move(done);
    pending_ = 3; // gsettings, xfconf and plasmashell run side by side
    resetLxqt();
    resetGSettings(0);
    resetXfce();
    resetPlasma();
}

void DesktopWallpaperReset::finished() {
    if (--pending_ == 0 && done_)
        done_();
}

void DesktopWallpaperReset::resetGSettings(int index) {
    if (index >= int(std::size(kGSettingsValues))) {
        finished();
        return;
    }
    const QString schema = QString::fromLatin1(kGSettingsValues[index].schema);
    const QString key = QString::fromLatin1(kGSettingsValues[index].key);
    const QString gsettings = QStringLiteral("gsettings");
    // A missing tool or schema fails the query: that desktop is not here.
    runner_.run({gsettings, {QStringLiteral("get"), schema, key}},
                [this, index, schema, key, gsettings](const ProcessOutcome& got) {
                    if (!got.ok() || !namesOurBitmap(QString::fromUtf8(got.output))) {
                        resetGSettings(index + 1);
                        return;
                    }
                    runner_.run(
                        {gsettings, {QStringLiteral("reset"), schema, key}},
                        [this, index](const ProcessOutcome&) { resetGSettings(index + 1); });
                });
}

void DesktopWallpaperReset::resetXfce() {
    runner_.run(
        {kXfconf, {QStringLiteral("-c"), kXfceChannel, QStringLiteral("-l")}},
        [this](const ProcessOutcome& listed) {
            const QStringList properties =
                listed.ok() ? XfceBackend::lastImageProperties(listed.output) : QStringList();
            if (properties.isEmpty()) {
                finished();
                return;
            }
            // Each property is read, and reset only when it names our bitmap.
            auto remaining = std::make_shared<int>(int(properties.size()));
            for (const QString& property : properties) {
                const QStringList at = {QStringLiteral("-c"), kXfceChannel, QStringLiteral("-p"),
                                        property};
                runner_.run({kXfconf, at}, [this, at, remaining](const ProcessOutcome& got) {
                    if (got.ok() && namesOurBitmap(QString::fromUtf8(got.output))) {
                        runner_.run({kXfconf, at + QStringList{QStringLiteral("-r")}},
                                    [this, remaining](const ProcessOutcome&) {
                                        if (--*remaining == 0)
                                            finished();
                                    });
                    } else if (--*remaining == 0) {
                        finished();
                    }
                });
            }
        });
}

void DesktopWallpaperReset::resetPlasma() {
    const QString shell = QStringLiteral("org.kde.plasmashell");
    if (!bus_.isConnected() || !bus_.interface()->isServiceRegistered(shell)) {
        finished();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(shell, QStringLiteral("/PlasmaShell"),
                                                       QStringLiteral("org.kde.PlasmaShell"),
                                                       QStringLiteral("evaluateScript"));
    call << plasmaScript();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, int(timeout_.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        finished();
    });
}

void DesktopWallpaperReset::resetLxqt() const {
    // pcmanfm-qt reads the user's file over the system's: without its Wallpaper key the
    // system's default wallpaper shows.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config))
        config = AddBackslash(QDir::homePath()) + QStringLiteral(".config");
    QSettings settings(AddBackslash(config) + QStringLiteral("pcmanfm-qt/lxqt/settings.conf"),
                       QSettings::IniFormat);
    const QString key = QStringLiteral("Desktop/Wallpaper");
    if (namesOurBitmap(settings.value(key).toString())) {
        settings.remove(key);
        settings.sync();
    }
}

} // namespace vlm
