#include "desktop/runningcopy.h"

#include "desktop/applicationservice.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>

namespace vlm {

RunningCopyEnder::RunningCopyEnder(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        finish(QStringLiteral("běžící kopie programu neskončila do %1 s")
                   .arg(deadline_.interval() / 1000));
    });
}

void RunningCopyEnder::start(std::chrono::milliseconds deadline,
                             std::function<void(QString problem)> done) {
    done_ = std::move(done);
    if (!bus_.isConnected() || !bus_.interface()->isServiceRegistered(serviceName())) {
        QTimer::singleShot(0, this, [this] { finish(QString()); });
        return;
    }
    // Watching first, so a copy that ends at once is not missed.
    watcher_ = new QDBusServiceWatcher(serviceName(), bus_,
                                       QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { finish(QString()); });
    deadline_.start(deadline);
    const QDBusMessage call = QDBusMessage::createMethodCall(
        serviceName(), objectPath(), interfaceName(), QStringLiteral("QuitWithoutSaving"));
    auto* reply = new QDBusPendingCallWatcher(bus_.asyncCall(call, int(deadline.count())), this);
    connect(reply, &QDBusPendingCallWatcher::finished, this, [this, reply] {
        reply->deleteLater();
        // A copy that refused (an older version) will not end; one that ended before its
        // answer left no answer, which is no problem.
        if (reply->isError() && reply->error().type() != QDBusError::NoReply &&
            bus_.interface()->isServiceRegistered(serviceName()))
            finish(QStringLiteral("běžící kopie programu odmítla skončit: %1")
                       .arg(reply->error().message()));
    });
}

void RunningCopyEnder::finish(const QString& problem) {
    if (!done_)
        return;
    deadline_.stop();
    const auto done = std::move(done_);
    done_ = nullptr;
    done(problem);
}

} // namespace vlm
