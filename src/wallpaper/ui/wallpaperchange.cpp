#include "wallpaper/ui/wallpaperchange.h"

#include "collection/ui/collectionlist.h"
#include "common/logging.h"
#include "common/timetext.h"
#include "platform/picturesave.h"
#include "platform/ui/widgets.h"
#include "schedule/ui/schedule.h"
#include "services/services.h"
#include "wallpaper/bitmapheader.h"
#include "wallpaper/placementoptions.h"
#include "wallpaper/randomindex.h"

#include <QAction>
#include <QCheckBox>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

namespace vlm {

WallpaperChange::WallpaperChange(QObject* parent, Services& services,
                                 const WallpaperChangeControls& ui, CollectionList& collection,
                                 Schedule& schedule, PlacementOptions& placement)
    : QObject(parent), services_(services), collection_(collection), schedule_(schedule),
      placement_(placement), ui_(ui),
      composer_(services.pictures, services.wallpaper, services.facts.wallpaperBitmapPath()),
      chooser_(services.pictures) {
    connect(&composer_, &WallpaperComposer::shown, this, [this] {
        ui_.PosledniZmena->setText(renderHms(services_.clock.now().time()));
        if (composedEntry_)
            history_.record(composedPaths_);
        moveOn(composedEntry_);
    });
    connect(&composer_, &WallpaperComposer::failed, this, &WallpaperChange::composingFailed);
    // Screens come and go, turn and change resolution in bursts of signals: one showing after.
    layoutSettle_.setSingleShot(true);
    layoutSettle_.setInterval(500);
    connect(&layoutSettle_, &QTimer::timeout, this, [this] {
        // Without composing, the desktop places the picture itself, for any layout.
        if (placement_.composing())
            showInPlaceAgain();
    });
    connect(&placement_, &PlacementOptions::placementSet, this, &WallpaperChange::showInPlaceAgain);
    // A picture per monitor, once asked for, is a change: the monitors take the next entries at
    // once (one asked for during start-up waits for the start's own change).
    connect(&placement_, &PlacementOptions::monitorPicturesSet, this,
            [this](MonitorPictures choice) {
                if (choice == MonitorPictures::Each && collection_.ListCount() > 0)
                    Zmenit_Click();
                else
                    showInPlaceAgain();
            });
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        layoutSettle_.start();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { layoutSettle_.start(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
            [this] { layoutSettle_.start(); });
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

void WallpaperChange::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { layoutSettle_.start(); });
    connect(screen, &QScreen::orientationChanged, this, [this] { layoutSettle_.start(); });
}

void WallpaperChange::showInPlaceAgain() {
    if (!history_.current())
        return;
    waiting_.push_back(Request::Again);
    if (!running_)
        startWaitingChange();
}

void WallpaperChange::startWaitingChange() {
    while (!waiting_.empty() && !running_) {
        const Request request = waiting_.front();
        waiting_.pop_front();
        if (request == Request::Again) {
            if (const std::optional<QStringList> shown = history_.current())
                showAgain(*shown);
            continue;
        }
        if (request == Request::Previous) {
            // The step is taken when its turn comes, after the changes asked for before it.
            if (const std::optional<QStringList> before = history_.stepBack()) {
                schedule_.ScheduleNextChange();
                showAgain(*before);
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
        if (placement_.composing())
            startComposedChange(current);
        else
            startShowing(current, collection_.entry(current));
    }
}

void WallpaperChange::showAgain(const QStringList& paths) {
    if (placement_.composing())
        startComposing(std::nullopt, paths, wallpaperMonitors(services_));
    else
        startShowing(std::nullopt, paths.first());
}

void WallpaperChange::startComposedChange(int current) {
    const QList<Monitor> monitors = wallpaperMonitors(services_);
    const bool each = placement_.monitorPictures() == MonitorPictures::Each &&
                      placement_.placement() != Placement::Span && monitors.size() > 1;
    const bool oneForAll = services_.wallpaper.composedForm() == ComposedForm::FirstMonitor;
    if (each && oneForAll && !saidOneForAll_) {
        saidOneForAll_ = true;
        qCWarning(wallpaperLog).noquote()
            << QStringLiteral("this desktop (%1) cannot show a picture per monitor: every "
                              "monitor shows the same picture")
                   .arg(services_.wallpaper.name());
    }
    if (!each || oneForAll) {
        startComposing(current, {collection_.entry(current)}, monitors);
        return;
    }
    // The next entries in the list's order, from the current one, as far as a choice looks.
    const int count = collection_.ListCount();
    QList<int> entries;
    QStringList candidates;
    for (int i = 0; i < std::min<int>(count, int(monitors.size()) + kOrientationLookAhead); ++i) {
        entries.append((current + i) % count);
        candidates.append(collection_.entry(entries.last()));
    }
    QList<bool> portrait;
    for (const Monitor& monitor : monitors)
        portrait.append(monitor.area.height() > monitor.area.width());
    running_ = true;
    ui_.Nahled->setWorking(true);
    chooser_.disconnect(this);
    connect(&chooser_, &MonitorEntryChooser::finished, this,
            [this, entries, candidates, monitors](const QList<int>& positions) {
                QStringList paths;
                for (const int position : positions)
                    paths.append(candidates[position]);
                const int last = *std::max_element(positions.begin(), positions.end());
                startComposing(entries[last], paths, monitors);
            });
    chooser_.choose(portrait, candidates);
}

void WallpaperChange::startComposing(std::optional<int> entry, const QStringList& paths,
                                     const QList<Monitor>& monitors) {
    running_ = true;
    ui_.Nahled->setWorking(true);
    composedEntry_ = entry;
    composedPaths_ =
        placement_.monitorPictures() == MonitorPictures::Each ? paths : paths.mid(0, 1);
    composer_.compose({composedPaths_, placement_.placement(), placement_.background(), monitors});
}

void WallpaperChange::composingFailed(const QString& path, const DecodedPicture& picture) {
    reportNotShowable(path, picture.detail);
    moveOn(composedEntry_);
}

void WallpaperChange::reportNotShowable(const QString& path, const QString& detail) {
    if (reported_.contains(path))
        return;
    reported_.insert(path);
    qCWarning(pictureLog).noquote()
        << QStringLiteral("cannot show %1 as the wallpaper: %2").arg(path, detail);
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
        reportNotShowable(path, picture.detail);
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
    composer_.cancel();
    chooser_.cancel();
    running_ = false;
    ui_.Nahled->setWorking(false);
}

QSize WallpaperChange::wallpaperSize() const {
    return wallpaperCoverSize(services_);
}

} // namespace vlm
