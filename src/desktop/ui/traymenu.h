#pragma once

class QMenu;
class QWidget;

namespace vlm {

// The tray icon's menu mnuTray, its items named as the owners look them up: mnuNastaveni,
// mnuChangeNow, mnuPrevious, mnuPause, the countdown line mnuZmenaTap, the submenu mnuPlacement
// with a radio item a placement mode (mnuFit_desktop, mnuFit_fill, ...; each item's data is the
// mode's option word), the checkable mnuEachMonitor and mnuBar_Quit. Each access key is used
// once within its menu.
QMenu* createTrayMenu(QWidget* parent);

} // namespace vlm
