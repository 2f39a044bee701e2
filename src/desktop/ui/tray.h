#pragma once

#include <QObject>

class QSystemTrayIcon;

namespace vlm {

class Form1;

// The notification-area icon with the tip "Velmora (aktivní)": a double-click (on a
// StatusNotifier host, an activation) shows the window, the context menu is mnuTray.
class Tray : public QObject {
    Q_OBJECT
public:
    explicit Tray(Form1& form);

    void CreateTray_Click();
    void NoTray_Click();

    bool isShown() const;
    // Hiding the window is only safe while an icon can bring it back: without a tray host
    // (no status-notifier watcher and no X embedding tray) the window stays on screen.
    bool canHideWindow() const;

private:
    Form1& form_;
    QSystemTrayIcon* icon_ = nullptr;
};

} // namespace vlm
