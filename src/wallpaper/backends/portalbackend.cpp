#include "wallpaper/backends/portalbackend.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>
#include <utility>

namespace vlm {
namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

void PortalResponse::Response(uint response, const QVariantMap&) {
    handler_(response);
}

PortalBackend::PortalBackend(QDBusConnection bus, QString linkFolder,
                             std::chrono::milliseconds timeout, FailureReporter::Sink sink)
    : bus_(std::move(bus)), links_(std::move(linkFolder)), timeout_(timeout),
      reporter_(QStringLiteral("portal"), std::move(sink)) {}

PortalBackend::~PortalBackend() {
    dropRequest();
}

void PortalBackend::dropRequest() {
    if (!response_)
        return;
    bus_.disconnect(QString(), requestPath_, requestInterface, QStringLiteral("Response"),
                    response_, SLOT(Response(uint, QVariantMap)));
    delete response_;
    response_ = nullptr;
}

void PortalBackend::apply(const QString& bitmapPath, const QImage&) {
    const quint64 sequence = ++sequence_;
    dropRequest();
    QString error;
    QString path = links_.prepare(bitmapPath, &error);
    if (path.isEmpty()) {
        reporter_.report(QStringLiteral("link"), error);
        path = bitmapPath;
    }

    // Subscribe to the request's answer before asking, as the portal documentation says: the
    // request object's path is known in advance from our bus name and a token.
    const QString token = QStringLiteral("vlm%1").arg(sequence);
    QString sender = bus_.baseService();
    sender.remove(0, sender.startsWith(u':') ? 1 : 0).replace(u'.', u'_');
    requestPath_ =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    response_ = new PortalResponse(
        [this, sequence](uint response) {
            if (response != 0)
                reporter_.report(QStringLiteral("response-%1").arg(response),
                                 response == 1
                                     ? QStringLiteral("the wallpaper change was cancelled")
                                     : QStringLiteral("the portal could not set the wallpaper"));
            else
                links_.dropPrevious();
            if (sequence == sequence_)
                reportFinished(response == 0);
        },
        &context_);
    bus_.connect(QString(), requestPath_, requestInterface, QStringLiteral("Response"), response_,
                 SLOT(Response(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(
        portalService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Wallpaper"), QStringLiteral("SetWallpaperURI"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("show-preview"), false},
                              {QStringLiteral("set-on"), QStringLiteral("background")}};
    call << QString() << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) << options;
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(call, int(timeout_.count())), &context_);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, &context_, [this, watcher, sequence] {
            watcher->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
            if (!reply.isError())
                return; // the Response signal finishes the request
            reporter_.report(reply.error().name(), QStringLiteral("desktop portal: ") +
                                                       reply.error().name() + QStringLiteral(": ") +
                                                       reply.error().message());
            if (sequence == sequence_)
                reportFinished(false);
        });
}

} // namespace vlm
