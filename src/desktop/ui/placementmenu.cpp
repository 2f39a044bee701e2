#include "desktop/ui/placementmenu.h"

#include "wallpaper/placementoptions.h"

#include <QAction>
#include <QMenu>

namespace vlm {

PlacementMenu::PlacementMenu(QObject* parent, PlacementOptions& options,
                             const PlacementMenuControls& ui)
    : QObject(parent), options_(options), ui_(ui) {
    for (QAction* item : ui_.mnuPlacement->menu()->actions())
        connect(item, &QAction::triggered, this, [this, item] { mnuFit_Click(item); });
    connect(ui_.mnuEachMonitor, &QAction::triggered, this, [this] { mnuEachMonitor_Click(); });
    connect(&options_, &PlacementOptions::changed, this, &PlacementMenu::refresh);
    refresh();
}

void PlacementMenu::mnuFit_Click(const QAction* item) {
    if (const std::optional<Placement> placement = placementNamed(item->data().toString()))
        options_.setPlacement(*placement);
}

void PlacementMenu::mnuEachMonitor_Click() {
    options_.setMonitorPictures(ui_.mnuEachMonitor->isChecked() ? MonitorPictures::Each
                                                                : MonitorPictures::Same);
}

void PlacementMenu::refresh() {
    const QString current = placementName(options_.placement());
    for (QAction* item : ui_.mnuPlacement->menu()->actions())
        item->setChecked(item->data().toString() == current);
    ui_.mnuEachMonitor->setChecked(options_.monitorPictures() == MonitorPictures::Each);
}

} // namespace vlm
