#include "desktop/ui/remotecontrol.h"

#include "collection/ui/collectionlist.h"
#include "desktop/applicationservice.h"
#include "schedule/ui/schedule.h"
#include "wallpaper/ui/wallpaperchange.h"

namespace vlm {

void connectRemoteControl(ApplicationService& service, const RemoteControlTargets& targets) {
    WallpaperChange& change = targets.change;
    service.setHandlers({
        .changeNow = [&change] { change.mnuChangeNow_Click(); },
        .showSettings = targets.showSettings,
        .quit = targets.quit,
    });
    service.setStatusSource([&collection = targets.collection, &schedule = targets.schedule] {
        return ApplicationService::Status{
            .collectionFile = collection.collectionFile(),
            .count = collection.ListCount(),
            .currentIndex = collection.ListIndex(),
            .nextChange = schedule.nextChangeCaption(),
        };
    });
}

} // namespace vlm
