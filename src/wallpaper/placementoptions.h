#pragma once

#include "wallpaper/placement.h"

#include <QColor>
#include <QObject>

namespace vlm {

class SettingsStore;

// The options of placement in [options]: "fit" (the mode; absent: as the desktop does),
// "monitors" ("same" or "each") and "background" ("#rrggbb" for fit's bands). Held in memory
// once read; a mode set from anywhere is stored at once.
class PlacementOptions : public QObject {
    Q_OBJECT
public:
    explicit PlacementOptions(SettingsStore& settings, QObject* parent = nullptr)
        : QObject(parent), settings_(settings) {}

    // Reads the stored options; a value the program does not know counts as absent and is
    // said once on standard error.
    void restore();

    Placement placement() const { return placement_; }
    MonitorPictures monitorPictures() const { return monitors_; }
    QColor background() const { return background_; }
    // Whether the program composes the wallpaper itself.
    bool composing() const {
        return placement_ != Placement::Desktop || monitors_ == MonitorPictures::Each;
    }

    void setPlacement(Placement placement);
    void setMonitorPictures(MonitorPictures choice);

Q_SIGNALS:
    // The mode or the monitors' choice differs from before, or was read from the store.
    void changed();
    // Set to another value than before (not when read from the store).
    void placementSet();
    void monitorPicturesSet(vlm::MonitorPictures choice);

private:
    SettingsStore& settings_;
    Placement placement_ = Placement::Desktop;
    MonitorPictures monitors_ = MonitorPictures::Same;
    QColor background_ = Qt::black;
};

} // namespace vlm
