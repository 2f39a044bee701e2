#include "desktop/applicationservice.h"

#include "applicationadaptor.h"
#include "common/logging.h"
#include "velmoraadaptor.h"
#include "version.h"

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
}

void ApplicationService::post(std::function<void()> Handlers::*handler) {
    queue_.post([this, handler] {
        if (const std::function<void()>& run = handlers_.*handler)
            run();
    });
}

void ApplicationService::ChangeNow() {
    post(&Handlers::changeNow);
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
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return InstanceRole::First;
    connection.unregisterObject(objectPath());
    return reply.isValid() ? InstanceRole::Running : InstanceRole::NoBus;
}

bool callRunningCopy(const QDBusConnection& bus, const QString& method) {
    QDBusConnection connection = bus;
    const QDBusMessage reply = connection.call(
        QDBusMessage::createMethodCall(serviceName(), objectPath(), interfaceName(), method));
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qCWarning(instanceLog).noquote()
        << QStringLiteral("běžící kopie neodpověděla: %1").arg(reply.errorMessage());
    return false;
}

} // namespace vlm
