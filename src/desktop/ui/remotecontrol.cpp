#include "desktop/ui/remotecontrol.h"

#include "collection/ui/collectionlist.h"
#include "desktop/applicationservice.h"
#include "schedule/ui/schedule.h"
#include "wallpaper/placementoptions.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QAbstractItemView>

namespace vlm {

void connectRemoteControl(ApplicationService& service, const RemoteControlTargets& targets) {
    WallpaperChange& change = targets.change;
    Schedule& schedule = targets.schedule;
    PlacementOptions& placement = targets.placement;
    service.setHandlers({
        .changeNow = [&change] { change.mnuChangeNow_Click(); },
        .previous = [&change] { change.mnuPrevious_Click(); },
        .pause = [&schedule] { schedule.Pause(); },
        .resume = [&schedule] { schedule.Resume(); },
        .togglePause = [&schedule] { schedule.mnuPause_Click(); },
        .showSettings = targets.showSettings,
        .quit = targets.quit,
        .setFit =
            [&placement](const QString& value) {
                const std::optional<Placement> mode = placementNamed(value);
                if (mode)
                    placement.setPlacement(*mode);
                return mode.has_value();
            },
        .setMonitors =
            [&placement](const QString& value) {
                const std::optional<MonitorPictures> choice = monitorPicturesNamed(value);
                if (choice)
                    placement.setMonitorPictures(*choice);
                return choice.has_value();
            },
    });
    service.setStatusSource([&collection = targets.collection, &schedule, &placement] {
        return ApplicationService::Status{
            .collectionFile = collection.collectionFile(),
            .count = collection.ListCount(),
            .currentIndex = collection.ListIndex(),
            .nextChange = schedule.nextChangeHms(),
            .paused = schedule.paused(),
            .fit = placementName(placement.placement()),
            .monitors = monitorPicturesName(placement.monitorPictures()),
        };
    });

    const auto note = [&service] { service.noteStatusChange(); };
    QObject::connect(&schedule, &Schedule::statusChanged, &service, note);
    QObject::connect(&change, &WallpaperChange::changeFinished, &service, note);
    QObject::connect(&placement, &PlacementOptions::changed, &service, note);
    QObject::connect(&targets.collection, &CollectionList::collectionFileChanged, &service, note);
    const QAbstractItemModel* entries = targets.list->model();
    QObject::connect(entries, &QAbstractItemModel::rowsInserted, &service, note);
    QObject::connect(entries, &QAbstractItemModel::rowsRemoved, &service, note);
    QObject::connect(entries, &QAbstractItemModel::modelReset, &service, note);
    QObject::connect(targets.list->selectionModel(), &QItemSelectionModel::selectionChanged,
                     &service, note);
}

} // namespace vlm
