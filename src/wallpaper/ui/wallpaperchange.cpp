#include "wallpaper/ui/wallpaperchange.h"

#include "collection/ui/collectionlist.h"
#include "common/logging.h"
#include "common/timetext.h"
#include "platform/picturesave.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "services/services.h"
#include "wallpaper/bitmapheader.h"
#include "wallpaper/randomindex.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>

namespace vlm {

WallpaperChange::WallpaperChange(QObject* parent, Services& services,
                                 const WallpaperChangeControls& ui, CollectionList& collection,
                                 Schedule& schedule)
    : QObject(parent), services_(services), collection_(collection), schedule_(schedule), ui_(ui) {
    connect(ui_.Nahled, &ImageBox::clicked, this, [this] { Nahled_Click(); });
    connect(ui_.mnuChangeNow, &QAction::triggered, this, [this] { mnuChangeNow_Click(); });
    schedule_.setChangeHandler([this] { Zmenit_Click(); });
    retry_.setSingleShot(true);
    retry_.setInterval(100);
    connect(&retry_, &QTimer::timeout, this, [this] {
        if (changeWaiting_)
            Zmenit_Click();
    });
}

void WallpaperChange::Zmenit_Click() {
    // A metafile renders while timers run. A change started then (by the tick) would apply a
    // preview that is not there yet, or start another load inside the one under way; it waits
    // for the load, and requests made meanwhile become that one change.
    if (services_.pictures.busy()) {
        changeWaiting_ = true;
        if (!retry_.isActive())
            retry_.start();
        return;
    }
    changeWaiting_ = false;

    // Every step stands alone: a failed step is skipped and the next one runs.
    schedule_.ScheduleNextChange();

    if (applyCurrentEntry())
        ui_.PosledniZmena->setText(renderHms(services_.clock.now().time()));

    const int count = collection_.ListCount();
    const int current = collection_.ListIndex();
    if (current == count - 1) {
        if (count == 0)
            return; // an empty collection has nothing to advance, store or describe
        collection_.setListIndex(0);
    } else if (!ui_.Check3->isChecked()) {
        collection_.setListIndex(current + 1);
    } else {
        collection_.setListIndex(RandomIndex(count - 1, 0, services_.random,
                                             secondsSinceMidnight(services_.clock.now())));
    }

    services_.settings.saveAll(
        {{QStringLiteral("lastfile"), collection_.collectionFile()},
         {QStringLiteral("index"), QString::number(collection_.ListIndex())}});

    ui_.Label17->setText(bitmapInfoLine(readBitmapHeader(services_.facts.wallpaperBitmapPath())));
}

bool WallpaperChange::applyCurrentEntry() {
    const int current = collection_.ListIndex();
    if (current < 0)
        return false; // an empty list, or no entry chosen: the wallpaper stays
    // The whole picture, read now and freed once it is applied; the preview keeps only a small
    // one. What the preview shows is the file as it was when it loaded.
    const QString path = collection_.entry(current);
    QString whyNot;
    const QImage picture = services_.pictures.load(path, {}, &whyNot);
    if (picture.isNull()) {
        // A placeholder card is no wallpaper: the one in place stays.
        if (!reported_.contains(path)) {
            reported_.insert(path);
            qCWarning(pictureLog).noquote()
                << QStringLiteral("cannot show %1 as the wallpaper: %2").arg(path, whyNot);
        }
        return false;
    }
    const QString bitmap = services_.facts.wallpaperBitmapPath();
    // When the bitmap cannot be written, every backend applies the one already on disk, so the
    // desktop and Label17 agree.
    const bool written = saveWindowsBitmap(picture, bitmap);
    services_.wallpaper.apply(bitmap, written ? picture : QImage());
    return true;
}

} // namespace vlm
