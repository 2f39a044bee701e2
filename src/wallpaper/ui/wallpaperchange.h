#pragma once

#include <QObject>
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

// One wallpaper change: applies what the preview shows, then moves the collection on.
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
    Services& services_;
    // A change asked for while a picture loads runs once the load is over.
    bool changeWaiting_ = false;
    QTimer retry_;
    CollectionList& collection_;
    Schedule& schedule_;
    const WallpaperChangeControls ui_;
};

} // namespace vlm
