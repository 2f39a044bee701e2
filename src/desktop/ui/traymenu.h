#pragma once

class QMenu;
class QWidget;

namespace vlm {

// The tray icon's menu mnuTray, its items named as the owners look them up: mnuNastaveni,
// mnuChangeNow, mnuPrevious, mnuPause, the countdown line mnuZmenaTap and mnuBar_Quit. Each
// access key is used once.
QMenu* createTrayMenu(QWidget* parent);

} // namespace vlm
