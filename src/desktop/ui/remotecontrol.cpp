#include "desktop/ui/remotecontrol.h"

#include "app/form1.h"
#include "app/quit.h"
#include "collection/ui/collectionlist.h"
#include "desktop/applicationservice.h"
#include "wallpaper/ui/wallpaperchange.h"

#include <QLabel>

namespace vlm {

void connectRemoteControl(ApplicationService& service, Form1& form) {
    service.setHandlers({
        .changeNow = [&form] { form.change().mnuChangeNow_Click(); },
        .showSettings = [&form] { form.mnuNastaveni_Click(); },
        .quit = [&form] { form.quit().quitRequested(); },
    });
    service.setStatusSource([&form] {
        CollectionList& collection = form.collection();
        return ApplicationService::Status{
            .collectionFile = collection.collectionFile(),
            .count = collection.ListCount(),
            .currentIndex = collection.ListIndex(),
            .nextChange = form.control<QLabel>("DalsiZmena")->text(),
        };
    });
}

} // namespace vlm
