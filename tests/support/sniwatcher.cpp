// A StatusNotifier watcher with a host, for the end-to-end tests: it owns
// org.kde.StatusNotifierWatcher on the session bus, says that a host is registered, and prints
// the bus name of every item that registers, one a line.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <cstdio>

class Watcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)

public:
    bool isHostRegistered() const { return true; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) {
        // An item may give its object path instead of its bus name.
        const QString name = service.startsWith(u'/') ? message().service() : service;
        std::printf("%s\n", qPrintable(name));
        std::fflush(stdout);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    Watcher watcher;
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr, "cannot own org.kde.StatusNotifierWatcher on the session bus\n");
        return 1;
    }
    return QCoreApplication::exec();
}

#include "sniwatcher.moc"
