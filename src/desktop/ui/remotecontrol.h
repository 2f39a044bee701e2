#pragma once

#include <functional>

namespace vlm {

class ApplicationService;
class CollectionList;
class Schedule;
class WallpaperChange;

// What the session bus service reaches in the window.
struct RemoteControlTargets {
    WallpaperChange& change;
    const CollectionList& collection;
    const Schedule& schedule;
    std::function<void()> showSettings; // as the tray menu's show item
    std::function<void()> quit;         // as a quit asked for from outside
};

// Lets the session bus service do what the window's own controls do: the tray menu's change
// and show items and the quit icon, and read the collection's place for the properties.
void connectRemoteControl(ApplicationService& service, const RemoteControlTargets& targets);

} // namespace vlm
