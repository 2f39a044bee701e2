#include "desktop/statusnotifier.h"

#include <QDBusConnection>
#include <QDBusInterface>

namespace vlm {

bool statusNotifierHostRegistered() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    // The same question Qt asks when it chooses how to show the icon.
    const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusInterface watcher(watcherName, QStringLiteral("/StatusNotifierWatcher"), watcherName, bus);
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace vlm
