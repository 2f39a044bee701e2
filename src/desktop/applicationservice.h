#pragma once

#include "desktop/requestqueue.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <functional>

namespace vlm {

// The running program's object on the session bus (interface and object path from the
// application id, see dbus/*.xml). Method calls are answered at once and carried out through
// the request queue; properties are read on the spot, and their changes are announced.
class ApplicationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QString CollectionFile READ CollectionFile)
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(int CurrentIndex READ CurrentIndex)
    Q_PROPERTY(QString NextChange READ NextChange)
    Q_PROPERTY(bool Paused READ Paused)
    Q_PROPERTY(QString Fit READ Fit WRITE setFit)
    Q_PROPERTY(QString Monitors READ Monitors WRITE setMonitors)
public:
    // What the window's own controls do for each request.
    struct Handlers {
        std::function<void()> changeNow;
        std::function<void()> previous;
        std::function<void()> pause;
        std::function<void()> resume;
        std::function<void()> togglePause;
        std::function<void()> showSettings;
        std::function<void()> quit;
        // Set the placement options; false for a value they do not take.
        std::function<bool(const QString&)> setFit;
        std::function<bool(const QString&)> setMonitors;
    };
    struct Status {
        QString collectionFile;
        int count = 0;
        int currentIndex = -1;
        QString nextChange;
        bool paused = false;
        QString fit;
        QString monitors = QStringLiteral("same");
    };

    explicit ApplicationService(QObject* parent = nullptr);

    void setHandlers(Handlers handlers) { handlers_ = std::move(handlers); }
    void setStatusSource(std::function<Status()> source) { status_ = std::move(source); }
    // Runs at once, not through the queue: the uninstall must not wait for a question.
    void setQuitWithoutSaving(std::function<void()> handler) {
        quitWithoutSaving_ = std::move(handler);
    }
    RequestQueue& queue() { return queue_; }

    QString CollectionFile() const { return status().collectionFile; }
    int Count() const { return status().count; }
    int CurrentIndex() const { return status().currentIndex; }
    QString NextChange() const { return status().nextChange; }
    bool Paused() const { return status().paused; }
    QString Fit() const { return status().fit; }
    QString Monitors() const { return status().monitors; }
    // Checked at once and carried out through the request queue, as methods are; false, with
    // nothing changed, for a value the options do not take.
    bool setFit(const QString& fit);
    bool setMonitors(const QString& monitors);

    // The status may have changed: it is compared with what was last announced once the event
    // loop turns, so a burst of changes (a long collection loading) makes one announcement.
    void noteStatusChange();

Q_SIGNALS:
    // The properties whose values differ from the last announcement, by name.
    void propertiesChanged(const QVariantMap& changed);

public Q_SLOTS:
    void ChangeNow();
    void Next() { ChangeNow(); }
    void Previous();
    void Pause();
    void Resume();
    void ShowSettings();
    void Quit();
    void QuitWithoutSaving();

    // org.freedesktop.Application
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& actionName, const QVariantList& parameter,
                        const QVariantMap& platformData);

private:
    Status status() const { return status_ ? status_() : Status{}; }
    void post(std::function<void()> Handlers::*handler);
    bool set(std::function<bool(const QString&)> Handlers::*handler, const QString& value,
             bool valid);
    void announceChanges();

    RequestQueue queue_;
    Handlers handlers_;
    std::function<Status()> status_;
    std::function<void()> quitWithoutSaving_;
    Status announced_; // what a reader saw before the first announcement
    QTimer announce_;
};

// Names on the session bus, all from the application id.
QString serviceName();   // example.velmora.Velmora
QString objectPath();    // /example/velmora/Velmora
QString interfaceName(); // example.velmora.Velmora

enum class InstanceRole {
    First,   // this process owns the name and serves requests
    Running, // another copy owns it: pass the request on and end
    NoBus,   // no session bus: nothing can tell whether another copy runs
};

// Publishes the service and tries to own the application's name: the first copy owns it, so
// of two copies started at the same moment exactly one becomes the running one. The first copy
// sends the service's property changes as org.freedesktop.DBus.Properties.PropertiesChanged.
InstanceRole claimInstance(const QDBusConnection& bus, ApplicationService& service);

// Sets a property of the running copy; on failure says why on stderr and returns false.
bool setRunningCopyProperty(const QDBusConnection& bus, const QString& property,
                            const QString& value);

// Calls a method of the running copy's own interface, or with an action name runs that action of
// org.freedesktop.Application; on failure says why on stderr and returns false.
bool callRunningCopy(const QDBusConnection& bus, const QString& method);
bool activateRunningCopyAction(const QDBusConnection& bus, const QString& action);

} // namespace vlm
