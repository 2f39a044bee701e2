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
#include <QFutureWatcher>
#include <QLabel>
#include <QtConcurrent/QtConcurrentRun>

namespace vlm {

WallpaperChange::WallpaperChange(QObject* parent, Services& services,
                                 const WallpaperChangeControls& ui, CollectionList& collection,
                                 Schedule& schedule)
    : QObject(parent), services_(services), collection_(collection), schedule_(schedule), ui_(ui) {
    connect(ui_.Nahled, &ImageBox::clicked, this, [this] { Nahled_Click(); });
    connect(ui_.mnuChangeNow, &QAction::triggered, this, [this] { mnuChangeNow_Click(); });
    connect(ui_.mnuPrevious, &QAction::triggered, this, [this] { mnuPrevious_Click(); });
    connect(&collection_, &CollectionList::cleared, this, &WallpaperChange::dropChanges);
    schedule_.setChangeHandler([this] { Zmenit_Click(); });
}

void WallpaperChange::Zmenit_Click() {
    // The next change is scheduled at once, so the tick does not ask again while this one's
    // picture decodes.
    schedule_.ScheduleNextChange();
    waiting_.push_back(Request::Next);
    if (!running_)
        startWaitingChange();
}

void WallpaperChange::mnuPrevious_Click() {
    waiting_.push_back(Request::Previous);
    if (!running_)
        startWaitingChange();
}

void WallpaperChange::startWaitingChange() {
    while (!waiting_.empty() && !running_) {
        const Request request = waiting_.front();
        waiting_.pop_front();
        if (request == Request::Previous) {
            // The step is taken when its turn comes, after the changes asked for before it.
            if (const std::optional<QStringList> before = history_.stepBack()) {
                schedule_.ScheduleNextChange();
                startShowing(std::nullopt, before->first());
            } else {
                Q_EMIT changeFinished(); // the oldest picture is on the desktop: nothing to do
            }
            continue;
        }
        const int count = collection_.ListCount();
        if (count == 0) {
            // An empty collection has nothing to show, advance, store or describe.
            Q_EMIT changeFinished();
            continue;
        }
        const int current = collection_.ListIndex();
        if (current < 0) {   // no entry chosen: the wallpaper stays, the list moves on
            moveOn(current); // which starts the next waiting change
            return;
        }
        // The entry is taken now: choosing another one while its picture decodes does not
        // change what this change shows.
        startShowing(current, collection_.entry(current));
    }
}

void WallpaperChange::startShowing(std::optional<int> entry, const QString& path) {
    running_ = true;
    ui_.Nahled->setWorking(true);
    job_ = services_.pictures.decode({path, wallpaperSize(), true, {}});
    connect(job_.get(), &PictureJob::finished, this,
            [this, entry, path](const DecodedPicture& picture) {
                pictureArrived(entry, path, picture);
            });
}

void WallpaperChange::pictureArrived(std::optional<int> entry, const QString& path,
                                     const DecodedPicture& picture) {
    job_.reset();
    if (picture.image.isNull()) {
        // A placeholder card is no wallpaper: the one in place stays.
        if (!reported_.contains(path)) {
            reported_.insert(path);
            qCWarning(pictureLog).noquote()
                << QStringLiteral("cannot show %1 as the wallpaper: %2").arg(path, picture.detail);
        }
        moveOn(entry);
        return;
    }
    // The bitmap is written on a worker thread; the desktop gets it once it is on disk. When it
    // cannot be written, every backend applies the one already there, so the desktop and
    // Label17 agree.
    const QString bitmap = services_.facts.wallpaperBitmapPath();
    auto* writing = new QFutureWatcher<bool>(this);
    const int generation = generation_;
    connect(writing, &QFutureWatcher<bool>::finished, this,
            [this, writing, generation, entry, path, bitmap, image = picture.image] {
                writing->deleteLater();
                if (generation != generation_)
                    return;
                applyBitmap(bitmap, image, writing->result());
                if (entry) // a picture shown again keeps its place in the history
                    history_.record({path});
                moveOn(entry);
            });
    writing->setFuture(QtConcurrent::run(
        [image = picture.image, bitmap] { return saveWindowsBitmap(image, bitmap); }));
}

void WallpaperChange::applyBitmap(const QString& bitmap, const QImage& picture, bool written) {
    services_.wallpaper.apply(bitmap, written ? picture : QImage());
    ui_.PosledniZmena->setText(renderHms(services_.clock.now().time()));
}

void WallpaperChange::moveOn(std::optional<int> from) {
    const int count = collection_.ListCount();
    if (from && count > 0) {
        // From the entry this change showed, whatever was chosen meanwhile. An entry that was
        // deleted meanwhile counts as the last.
        if (*from >= count - 1)
            collection_.setListIndex(0);
        else if (!ui_.Check3->isChecked())
            collection_.setListIndex(*from + 1);
        else
            collection_.setListIndex(RandomIndex(count - 1, 0, services_.random,
                                                 secondsSinceMidnight(services_.clock.now())));
        services_.settings.saveAll(
            {{QStringLiteral("lastfile"), collection_.collectionFile()},
             {QStringLiteral("index"), QString::number(collection_.ListIndex())}});
    }
    if (count > 0 || !from)
        ui_.Label17->setText(
            bitmapInfoLine(readBitmapHeader(services_.facts.wallpaperBitmapPath())));
    running_ = false;
    ui_.Nahled->setWorking(false);
    Q_EMIT changeFinished();
    startWaitingChange();
}

void WallpaperChange::dropChanges() {
    ++generation_;
    waiting_.clear();
    job_.reset();
    running_ = false;
    ui_.Nahled->setWorking(false);
}

QSize WallpaperChange::wallpaperSize() const {
    return wallpaperCoverSize(services_);
}

} // namespace vlm
