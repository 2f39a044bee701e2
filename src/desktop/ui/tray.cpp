#include "desktop/ui/tray.h"

#include "app/form1.h"
#include "app/hovereffects.h"
#include "desktop/statusnotifier.h"

#include <QSystemTrayIcon>

namespace vlm {

Tray::Tray(Form1& form) : QObject(&form), form_(form) {}

void Tray::CreateTray_Click() {
    if (icon_)
        return;
    icon_ = new QSystemTrayIcon(form_.windowIcon(), this);
    icon_->setObjectName(QStringLiteral("trayIcon"));
    icon_->setToolTip(QStringLiteral("Velmora (aktivní)"));
    icon_->setContextMenu(form_.mnuTray());
    // On an embedded X tray a single click is no command; a StatusNotifier host sends one
    // activation for what its users do to open a program (a click or a double-click).
    const bool activationShows = statusNotifierHostRegistered();
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this, activationShows](QSystemTrayIcon::ActivationReason reason) {
                form_.hover().Form_MouseMove(); // a notification from the icon clears the borders
                if (reason == QSystemTrayIcon::DoubleClick ||
                    (reason == QSystemTrayIcon::Trigger && activationShows))
                    form_.mnuNastaveni_Click();
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
    const auto available = form_.services().trayAvailable;
    return icon_ && (available ? available() : QSystemTrayIcon::isSystemTrayAvailable());
}

} // namespace vlm
