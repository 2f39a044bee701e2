#pragma once

#include "platform/picturesource.h"
#include "wallpaper/monitorentries.h"
#include "wallpaper/shownhistory.h"
#include "wallpaper/wallpapercomposer.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <deque>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QScreen;

namespace vlm {

class CollectionList;
class PlacementOptions;
class Schedule;
class ImageBox;
struct Services;

// The preview that is applied, the change's labels, the random option and the tray's
// change-now and previous items.
struct WallpaperChangeControls {
    ImageBox* Nahled;
    QLabel* PosledniZmena;
    QLabel* Label17;
    QCheckBox* Check3;
    QAction* mnuChangeNow;
    QAction* mnuPrevious;
};

// Wallpaper changes: each applies the current entry's picture, then moves the collection on. A
// change asks for its picture and returns; the steps after it run when the picture arrives.
// Changes asked for meanwhile wait their turn, so "next, next" shows two pictures. An entry
// that cannot be shown leaves the wallpaper as it is and is reported once. The pictures shown
// are remembered, so a step back shows the one before again.
// With a placement set, or a picture per monitor, the program composes what each monitor shows
// (WallpaperComposer); a change then takes as many entries as there are monitors, and the
// pictures in place are composed again when the monitors or the placement change.
class WallpaperChange : public QObject {
    Q_OBJECT
public:
    // Becomes the schedule's change handler.
    WallpaperChange(QObject* parent, Services& services, const WallpaperChangeControls& ui,
                    CollectionList& collection, Schedule& schedule, PlacementOptions& placement);

    void Zmenit_Click();
    void Nahled_Click() { Zmenit_Click(); }
    void mnuChangeNow_Click() { Zmenit_Click(); }
    // Shows the picture shown before the one on the desktop as a change does, without moving
    // the collection on; at the oldest remembered picture it does nothing. It waits its turn
    // after the changes asked for before it.
    void mnuPrevious_Click();

    // Whether a change is under way or waiting.
    bool busy() const { return running_ || !waiting_.empty(); }

Q_SIGNALS:
    // A change has taken all its steps (also one whose picture could not be shown).
    void changeFinished();

private:
    // A change shows the collection's current entry; a step back, the picture shown before;
    // again, the pictures in place for a new layout or placement.
    enum class Request { Next, Previous, Again };
    void startWaitingChange();
    // Shows pictures shown before (a step back, or again) without moving the collection on.
    void showAgain(const QStringList& paths);
    void startComposedChange(int current);
    // Composes paths for the monitors; `entry` is the last collection entry they take.
    void startComposing(std::optional<int> entry, const QStringList& paths,
                        const QList<Monitor>& monitors);
    void composingFailed(const QString& path, const DecodedPicture& picture);
    void reportNotShowable(const QString& path, const QString& detail);
    // The monitors or the placement changed: the pictures in place are shown for them.
    void showInPlaceAgain();
    void watchScreen(QScreen* screen);
    // Starts decoding the picture of the change; `entry` is the collection's entry it shows,
    // none for a picture shown again.
    void startShowing(std::optional<int> entry, const QString& path);
    void pictureArrived(std::optional<int> entry, const QString& path,
                        const DecodedPicture& picture);
    void applyBitmap(const QString& bitmap, const QImage& picture, bool written);
    // The last steps: the next entry after `from` and the stored place (not for a picture shown
    // again), Label17.
    void moveOn(std::optional<int> from);
    // Drops the waiting changes and the later steps of the running one: another collection
    // was opened, whose place stands.
    void dropChanges();
    QSize wallpaperSize() const;

    Services& services_;
    QSet<QString> reported_;      // entries already reported as not showable
    std::deque<Request> waiting_; // changes asked for that have not started
    bool running_ = false;
    ShownHistory history_;
    int generation_ = 0; // counts dropChanges(): a step of a dropped change does nothing
    PictureJobPtr job_;  // the running change's picture
    CollectionList& collection_;
    Schedule& schedule_;
    PlacementOptions& placement_;
    const WallpaperChangeControls ui_;
    WallpaperComposer composer_;
    MonitorEntryChooser chooser_;
    std::optional<int> composedEntry_; // the running composition's last entry
    QStringList composedPaths_;        // and its pictures, one a monitor or one for all
    QTimer layoutSettle_;              // a new layout arrives as a burst of signals
    bool saidOneForAll_ = false;
};

} // namespace vlm
