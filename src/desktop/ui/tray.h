#pragma once

#include <QIcon>
#include <QObject>

class QMenu;
class QSystemTrayIcon;

namespace vlm {

struct Services;

// The notification-area icon with the tip "Velmora (aktivní)": a double-click (on a
// StatusNotifier host, an activation) shows the window, the context menu is mnuTray.
class Tray : public QObject {
    Q_OBJECT
public:
    Tray(QObject* parent, const Services& services, QMenu* mnuTray, const QIcon& icon);

    void CreateTray_Click();
    void NoTray_Click();

    bool isShown() const;
    // Hiding the window is only safe while an icon can bring it back: without a tray host
    // (no status-notifier watcher and no X embedding tray) the window stays on screen.
    bool canHideWindow() const;

Q_SIGNALS:
    // Any notification from the icon, before it is acted on.
    void iconNotified();
    // The user asked the icon for the window.
    void showRequested();

private:
    const Services& services_;
    QMenu* mnuTray_;
    QIcon windowIcon_;
    QSystemTrayIcon* icon_ = nullptr;
};

} // namespace vlm
