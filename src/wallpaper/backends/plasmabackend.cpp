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

QString PlasmaBackend::script(const QString& fileUri) {
    return QStringLiteral("var uri = %1;\n"
                          "var all = desktops();\n"
                          "for (var i = 0; i < all.length; i++) {\n"
                          "    var d = all[i];\n"
                          "    d.wallpaperPlugin = \"org.kde.image\";\n"
                          "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
                          "\"General\"];\n"
                          "    d.writeConfig(\"Image\", uri);\n"
                          "}\n")
        .arg(javaScriptStringLiteral(fileUri));
}

PlasmaBackend::PlasmaBackend(QDBusConnection bus, QString linkFolder,
                             std::chrono::milliseconds timeout, FailureReporter::Sink sink)
    : bus_(std::move(bus)), links_(std::move(linkFolder)), timeout_(timeout),
      reporter_(QStringLiteral("plasma"), std::move(sink)) {}

void PlasmaBackend::apply(const QString& bitmapPath, const QImage&) {
    const quint64 sequence = ++sequence_;
    QString error;
    QString path = links_.prepare(bitmapPath, &error);
    if (path.isEmpty()) {
        reporter_.report(QStringLiteral("link"), error);
        path = bitmapPath;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << script(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(call, int(timeout_.count())), &context_);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, &context_, [this, watcher, sequence] {
            watcher->deleteLater();
            const QDBusPendingReply<QString> reply = *watcher;
            if (reply.isError()) {
                const QDBusError failure = reply.error();
                // Plasma's own words; a timeout's message ("... blocked ...") must not match.
                const bool locked = failure.message().contains(
                    QStringLiteral("widgets are locked"), Qt::CaseInsensitive);
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
