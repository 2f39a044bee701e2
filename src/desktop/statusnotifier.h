#pragma once

namespace vlm {

// Whether the session bus has a StatusNotifier watcher with a host (Plasma, GNOME with the
// AppIndicator extension, LXQt, waybar). Qt then shows the tray icon through D-Bus rather
// than as an embedded X window, and reports the host's "Activate" as a single trigger: such
// hosts have no double-click.
bool statusNotifierHostRegistered();

} // namespace vlm
