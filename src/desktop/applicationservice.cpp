#include "desktop/applicationservice.h"

#include "applicationadaptor.h"
#include "common/logging.h"
#include "velmoraadaptor.h"
#include "version.h"
#include "wallpaper/placement.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace vlm {

QString serviceName() {
    return QString::fromUtf16(kApplicationId);
}

QString objectPath() {
    return u'/' + serviceName().replace(u'.', u'/');
}

QString interfaceName() {
    return serviceName();
}

ApplicationService::ApplicationService(QObject* parent) : QObject(parent) {
    new VelmoraAdaptor(this);
    new ApplicationAdaptor(this);
    announce_.setSingleShot(true);
    announce_.setInterval(0);
    connect(&announce_, &QTimer::timeout, this, &ApplicationService::announceChanges);
}

void ApplicationService::noteStatusChange() {
    if (!announce_.isActive())
        announce_.start();
}

void ApplicationService::announceChanges() {
    const Status now = status();
    QVariantMap changed;
    const auto compare = [&changed](const char* name, const auto& was, const auto& is) {
        if (was != is)
            changed.insert(QString::fromLatin1(name), is);
    };
    compare("CollectionFile", announced_.collectionFile, now.collectionFile);
    compare("Count", announced_.count, now.count);
    compare("CurrentIndex", announced_.currentIndex, now.currentIndex);
    compare("NextChange", announced_.nextChange, now.nextChange);
    compare("Paused", announced_.paused, now.paused);
    compare("Fit", announced_.fit, now.fit);
    compare("Monitors", announced_.monitors, now.monitors);
    announced_ = now;
    if (!changed.isEmpty())
        Q_EMIT propertiesChanged(changed);
}

void ApplicationService::post(std::function<void()> Handlers::*handler) {
    queue_.post([this, handler] {
        if (const std::function<void()>& run = handlers_.*handler)
            run();
        noteStatusChange();
    });
}

bool ApplicationService::set(std::function<bool(const QString&)> Handlers::*handler,
                             const QString& value, bool valid) {
    // Checked at once: a bad value changes and stores nothing (Qt 6.4 answers a property write
    // through an adaptor with success whatever the setter says). Carried out in turn, as
    // methods are.
    if (!valid)
        return false;
    queue_.post([this, handler, value] {
        if (const std::function<bool(const QString&)>& run = handlers_.*handler)
            run(value);
        noteStatusChange();
    });
    return true;
}

bool ApplicationService::setFit(const QString& fit) {
    return set(&Handlers::setFit, fit, placementNamed(fit).has_value());
}

bool ApplicationService::setMonitors(const QString& monitors) {
    return set(&Handlers::setMonitors, monitors, monitorPicturesNamed(monitors).has_value());
}

void ApplicationService::ChangeNow() {
    post(&Handlers::changeNow);
}

void ApplicationService::Previous() {
    post(&Handlers::previous);
}

void ApplicationService::Pause() {
    post(&Handlers::pause);
}

void ApplicationService::Resume() {
    post(&Handlers::resume);
}

void ApplicationService::ShowSettings() {
    post(&Handlers::showSettings);
}

void ApplicationService::Quit() {
    post(&Handlers::quit);
}

void ApplicationService::QuitWithoutSaving() {
    if (quitWithoutSaving_)
        quitWithoutSaving_();
}

void ApplicationService::Activate(const QVariantMap&) {
    ShowSettings();
}

void ApplicationService::Open(const QStringList&, const QVariantMap&) {
    if (calledFromDBus())
        sendErrorReply(QDBusError::NotSupported, QStringLiteral("Velmora opens no files"));
}

void ApplicationService::ActivateAction(const QString& actionName, const QVariantList&,
                                        const QVariantMap&) {
    // The action names of the desktop entry.
    if (actionName == QLatin1String("change-now"))
        ChangeNow();
    else if (actionName == QLatin1String("previous"))
        Previous();
    else if (actionName == QLatin1String("pause-or-resume"))
        post(&Handlers::togglePause);
    else if (actionName == QLatin1String("show-settings"))
        ShowSettings();
    else if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no action ") + actionName);
}

InstanceRole claimInstance(const QDBusConnection& bus, ApplicationService& service) {
    if (!bus.isConnected())
        return InstanceRole::NoBus;
    QDBusConnection connection = bus;
    // The object first, so whoever sees the name can call it at once.
    connection.registerObject(objectPath(), &service, QDBusConnection::ExportAdaptors);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        connection.interface()->registerService(serviceName(),
                                                QDBusConnectionInterface::DontQueueService,
                                                QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        QObject::connect(&service, &ApplicationService::propertiesChanged, &service,
                         [connection](const QVariantMap& changed) mutable {
                             QDBusMessage signal = QDBusMessage::createSignal(
                                 objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                 QStringLiteral("PropertiesChanged"));
                             signal << interfaceName() << changed << QStringList();
                             connection.send(signal);
                         });
        return InstanceRole::First;
    }
    connection.unregisterObject(objectPath());
    return reply.isValid() ? InstanceRole::Running : InstanceRole::NoBus;
}

namespace {

bool sendToRunningCopy(const QDBusConnection& bus, const QDBusMessage& call) {
    QDBusConnection connection = bus;
    const QDBusMessage reply = connection.call(call);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qCWarning(instanceLog).noquote()
        << QStringLiteral("běžící kopie neodpověděla: %1").arg(reply.errorMessage());
    return false;
}

} // namespace

bool callRunningCopy(const QDBusConnection& bus, const QString& method) {
    return sendToRunningCopy(
        bus, QDBusMessage::createMethodCall(serviceName(), objectPath(), interfaceName(), method));
}

bool setRunningCopyProperty(const QDBusConnection& bus, const QString& property,
                            const QString& value) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        serviceName(), objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Set"));
    call << interfaceName() << property << QVariant::fromValue(QDBusVariant(value));
    return sendToRunningCopy(bus, call);
}

bool activateRunningCopyAction(const QDBusConnection& bus, const QString& action) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        serviceName(), objectPath(), QStringLiteral("org.freedesktop.Application"),
        QStringLiteral("ActivateAction"));
    call << action << QVariant(QVariantList()) << QVariantMap();
    return sendToRunningCopy(bus, call);
}

} // namespace vlm
