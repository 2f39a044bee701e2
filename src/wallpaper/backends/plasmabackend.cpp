#include "wallpaper/backends/plasmabackend.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>
#include <utility>

namespace vlm {

QString javaScriptStringLiteral(const QString& text) {
    QString literal = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\')
            literal += u'\\' + QString(c);
        else if (u < 0x20 || u > 0x7e)
            literal += QStringLiteral("\\u%1").arg(int(u), 4, 16, QChar(u'0'));
        else
            literal += c;
    }
    return literal + u'"';
}

namespace {

// Plasma's image wallpaper takes Qt's fill modes: 0 stretches, 2 (its default) crops to cover.
constexpr int kStretch = 0;
constexpr int kPreserveAspectCrop = 2;

QString forEveryDesktop(const QString& prelude, const QString& body) {
    return prelude +
           QStringLiteral("var all = desktops();\n"
                          "for (var i = 0; i < all.length; i++) {\n"
                          "    var d = all[i];\n") +
           body +
           QStringLiteral("    d.wallpaperPlugin = \"org.kde.image\";\n"
                          "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
                          "\"General\"];\n"
                          "    d.writeConfig(\"Image\", uri);\n"
                          "    if (fillMode >= 0)\n"
                          "        d.writeConfig(\"FillMode\", fillMode);\n"
                          "}\n");
}

} // namespace

QString PlasmaBackend::script(const QString& fileUri, std::optional<int> fillMode) {
    return forEveryDesktop(QStringLiteral("var uri = %1;\nvar fillMode = %2;\n")
                               .arg(javaScriptStringLiteral(fileUri))
                               .arg(fillMode.value_or(-1)),
                           QString());
}

QString PlasmaBackend::composedScript(const QList<std::pair<QPoint, QString>>& shown) {
    QStringList entries;
    for (const auto& [corner, uri] : shown)
        entries.append(QStringLiteral("[%1, %2, %3]")
                           .arg(corner.x())
                           .arg(corner.y())
                           .arg(javaScriptStringLiteral(uri)));
    return forEveryDesktop(
        QStringLiteral("var shown = [%1];\nvar fillMode = %2;\n")
            .arg(entries.join(QStringLiteral(", ")))
            .arg(kStretch),
        QStringLiteral("    var uri = shown[0][2];\n"
                       "    if (d.screen >= 0) {\n"
                       "        var g = screenGeometry(d.screen), nearest = -1;\n"
                       "        for (var j = 0; j < shown.length; j++) {\n"
                       "            var away = Math.abs(shown[j][0] - g.x) + "
                       "Math.abs(shown[j][1] - g.y);\n"
                       "            if (nearest < 0 || away < nearest) {\n"
                       "                nearest = away;\n"
                       "                uri = shown[j][2];\n"
                       "            }\n"
                       "        }\n"
                       "    }\n"));
}

PlasmaBackend::PlasmaBackend(QDBusConnection bus, QString linkFolder,
                             std::chrono::milliseconds timeout, FailureReporter::Sink sink)
    : bus_(std::move(bus)), links_(std::move(linkFolder)), timeout_(timeout),
      reporter_(QStringLiteral("plasma"), std::move(sink)) {}

QString PlasmaBackend::linked(const QString& bitmapPath) {
    QString error;
    QString path = links_.prepare(bitmapPath, &error);
    if (path.isEmpty()) {
        reporter_.report(QStringLiteral("link"), error);
        path = bitmapPath;
    }
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

void PlasmaBackend::apply(const QString& bitmapPath, const QImage&) {
    // Back to Plasma's own fill mode once the program stops composing.
    run(script(linked(bitmapPath),
               stretched_ ? std::optional<int>(kPreserveAspectCrop) : std::nullopt));
    stretched_ = false;
}

void PlasmaBackend::applyComposed(const ComposedWallpaper& wallpaper) {
    QList<std::pair<QPoint, QString>> shown;
    for (qsizetype i = 0; i < wallpaper.monitors.size() && i < wallpaper.bitmaps.size(); ++i)
        shown.append({wallpaper.monitors[i].logical.topLeft(), linked(wallpaper.bitmaps[i])});
    stretched_ = true;
    run(composedScript(shown));
}

void PlasmaBackend::run(const QString& script) {
    const quint64 sequence = ++sequence_;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << script;
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(call, int(timeout_.count())), &context_);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, &context_, [this, watcher, sequence] {
            watcher->deleteLater();
            const QDBusPendingReply<QString> reply = *watcher;
            if (reply.isError()) {
                const QDBusError failure = reply.error();
                // Plasma's own words; a timeout's message ("... blocked ...") must not match.
                const bool locked = failure.message().contains(QStringLiteral("widgets are locked"),
                                                               Qt::CaseInsensitive);
                reporter_.report(locked ? QStringLiteral("locked") : failure.name(),
                                 locked ? QStringLiteral("plasmashell refused the wallpaper "
                                                         "because the widgets are locked; "
                                                         "unlock them: ") +
                                              failure.message()
                                        : QStringLiteral("plasmashell: ") + failure.name() +
                                              QStringLiteral(": ") + failure.message());
            } else if (sequence == sequence_) {
                links_.dropPrevious();
            }
            if (sequence == sequence_)
                reportFinished(!reply.isError());
        });
}

} // namespace vlm
