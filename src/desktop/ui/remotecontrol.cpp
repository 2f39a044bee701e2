#include "desktop/ui/remotecontrol.h"

#include "collection/ui/collectionlist.h"
#include "desktop/applicationservice.h"
#include "schedule/ui/schedule.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QAbstractItemView>

namespace vlm {

void connectRemoteControl(ApplicationService& service, const RemoteControlTargets& targets) {
    WallpaperChange& change = targets.change;
    Schedule& schedule = targets.schedule;
    service.setHandlers({
        .changeNow = [&change] { change.mnuChangeNow_Click(); },
        .previous = [&change] { change.mnuPrevious_Click(); },
        .pause = [&schedule] { schedule.Pause(); },
        .resume = [&schedule] { schedule.Resume(); },
        .togglePause = [&schedule] { schedule.mnuPause_Click(); },
        .showSettings = targets.showSettings,
        .quit = targets.quit,
    });
    service.setStatusSource([&collection = targets.collection, &schedule] {
        return ApplicationService::Status{
            .collectionFile = collection.collectionFile(),
            .count = collection.ListCount(),
            .currentIndex = collection.ListIndex(),
            .nextChange = schedule.nextChangeHms(),
            .paused = schedule.paused(),
        };
    });

    const auto note = [&service] { service.noteStatusChange(); };
    QObject::connect(&schedule, &Schedule::statusChanged, &service, note);
    QObject::connect(&change, &WallpaperChange::changeFinished, &service, note);
    QObject::connect(&targets.collection, &CollectionList::collectionFileChanged, &service, note);
    const QAbstractItemModel* entries = targets.list->model();
    QObject::connect(entries, &QAbstractItemModel::rowsInserted, &service, note);
    QObject::connect(entries, &QAbstractItemModel::rowsRemoved, &service, note);
    QObject::connect(entries, &QAbstractItemModel::modelReset, &service, note);
    QObject::connect(targets.list->selectionModel(), &QItemSelectionModel::selectionChanged,
                     &service, note);
}

} // namespace vlm
