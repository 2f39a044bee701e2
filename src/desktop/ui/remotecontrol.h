#pragma once

#include <functional>

class QAbstractItemView;

namespace vlm {

class ApplicationService;
class CollectionList;
class PlacementOptions;
class Schedule;
class WallpaperChange;

// What the session bus service reaches in the window.
struct RemoteControlTargets {
    WallpaperChange& change;
    const CollectionList& collection;
    Schedule& schedule;
    PlacementOptions& placement;
    std::function<void()> showSettings; // as the tray menu's show item
    std::function<void()> quit;         // as a quit asked for from outside
    // Watched for changes of the properties, besides the collection and the schedule.
    const QAbstractItemView* list;
};

// Lets the session bus service do what the window's own controls do: the tray menu's items and
// the quit icon; reads the collection's place and the schedule for the properties and has the
// service announce their changes.
void connectRemoteControl(ApplicationService& service, const RemoteControlTargets& targets);

} // namespace vlm
