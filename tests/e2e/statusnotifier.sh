#!/usr/bin/env bash
# With a StatusNotifier host on the session bus the icon registers over D-Bus, the hide option
# keeps the window hidden, and the host's activation (never a double-click) shows the window.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
need dbus-send
watcher=$(dirname "$vlm_binary")/../tests/vlm_sniwatcher
[ -x "$watcher" ] || { echo "SKIP: $watcher not built"; exit 77; }

"$watcher" > "$home/items" 2> "$home/watcher.log" &
watcher_owns_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher | grep -q 'true'
}
wait_for watcher_owns_name 2>/dev/null || fail "the watcher did not start: $(cat "$home/watcher.log")"

make_collection p.bmp:008080
write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "cas=5" "jednotky=minut"
VLM_WALLPAPER_BACKEND=none start_vlm
wait_for test -s "$home/items" || fail "the icon did not register with the watcher"
[ -z "$(windows Velmora)" ] || fail "the window shows although hidden"
dbus-send --session --type=method_call --dest="$(head -n 1 "$home/items")" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate int32:10 int32:10 || fail "the icon's item cannot be called"
wait_window Velmora >/dev/null || fail "activating the icon did not show the window"
