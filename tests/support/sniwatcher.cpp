// A StatusNotifier watcher with a host for the end-to-end tests: it owns its name on the session
// bus and prints the bus name of every item that registers, one a line.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <cstdio>

class Watcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER hostRegistered_ CONSTANT)
    bool hostRegistered_ = true;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) {
        // An item may give its object path instead of its bus name.
        std::printf("%s\n", qPrintable(service.startsWith(u'/') ? message().service() : service));
        std::fflush(stdout);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Watcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
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
