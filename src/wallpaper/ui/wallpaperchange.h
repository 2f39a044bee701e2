#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class QAction;
class QCheckBox;
class QLabel;

namespace vlm {

class CollectionList;
class Schedule;
class ImageBox;
struct Services;

// The preview that is applied, the change's labels, the random option and the tray's
// change-now item.
struct WallpaperChangeControls {
    ImageBox* Nahled;
    QLabel* PosledniZmena;
    QLabel* Label17;
    QCheckBox* Check3;
    QAction* mnuChangeNow;
};

// One wallpaper change: applies the current entry's picture, then moves the collection on. An
// entry that cannot be shown leaves the wallpaper as it is and is reported once.
class WallpaperChange : public QObject {
    Q_OBJECT
public:
    // Becomes the schedule's change handler.
    WallpaperChange(QObject* parent, Services& services, const WallpaperChangeControls& ui,
                    CollectionList& collection, Schedule& schedule);

    void Zmenit_Click();
    void Nahled_Click() { Zmenit_Click(); }
    void mnuChangeNow_Click() { Zmenit_Click(); }

private:
    // Writes the current entry's picture as the bitmap and applies it; false when there is no
    // entry or its picture cannot be shown, and nothing was applied.
    bool applyCurrentEntry();

    Services& services_;
    QSet<QString> reported_; // entries already reported as not showable
    // A change asked for while a picture loads runs once the load is over.
    bool changeWaiting_ = false;
    QTimer retry_;
    CollectionList& collection_;
    Schedule& schedule_;
    const WallpaperChangeControls ui_;
};

} // namespace vlm
