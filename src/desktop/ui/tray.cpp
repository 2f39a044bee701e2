#include "desktop/ui/tray.h"

#include "desktop/statusnotifier.h"
#include "services/services.h"

#include <QSystemTrayIcon>

namespace vlm {

Tray::Tray(QObject* parent, const Services& services, QMenu* mnuTray, const QIcon& icon)
    : QObject(parent), services_(services), mnuTray_(mnuTray), windowIcon_(icon) {}

void Tray::CreateTray_Click() {
    if (icon_)
        return;
    icon_ = new QSystemTrayIcon(windowIcon_, this);
    icon_->setObjectName(QStringLiteral("trayIcon"));
    icon_->setToolTip(QStringLiteral("Velmora (aktivní)"));
    icon_->setContextMenu(mnuTray_);
    // On an embedded X tray a single click is no command; a StatusNotifier host sends one
    // activation for what its users do to open a program (a click or a double-click).
    const bool activationShows = statusNotifierHostRegistered();
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this, activationShows](QSystemTrayIcon::ActivationReason reason) {
                Q_EMIT iconNotified();
                if (reason == QSystemTrayIcon::DoubleClick ||
                    (reason == QSystemTrayIcon::Trigger && activationShows))
                    Q_EMIT showRequested();
            });
    icon_->show();
}

void Tray::NoTray_Click() {
    if (!icon_)
        return;
    icon_->hide();
    icon_->deleteLater();
    icon_ = nullptr;
}

bool Tray::isShown() const {
    return icon_ && icon_->isVisible();
}

bool Tray::canHideWindow() const {
    const auto available = services_.trayAvailable;
    return icon_ && (available ? available() : QSystemTrayIcon::isSystemTrayAvailable());
}

} // namespace vlm
