#pragma once

#include <QObject>

class QAction;

namespace vlm {

class PlacementOptions;

// The tray menu's placement items: the submenu's action and the picture-per-monitor item.
struct PlacementMenuControls {
    QAction* mnuPlacement;
    QAction* mnuEachMonitor;
};

// The placement submenu's radio items and "a picture per monitor" set the options, and show
// them however they were set (the bus, another start's command line).
class PlacementMenu : public QObject {
    Q_OBJECT
public:
    PlacementMenu(QObject* parent, PlacementOptions& options, const PlacementMenuControls& ui);

    void mnuFit_Click(const QAction* item);
    void mnuEachMonitor_Click();
    // Checks the items that match the options.
    void refresh();

private:
    PlacementOptions& options_;
    const PlacementMenuControls ui_;
};

} // namespace vlm
