#!/usr/bin/env bash
# With a StatusNotifier host on the session bus (Plasma, GNOME with AppIndicator, LXQt, waybar)
# the icon registers over D-Bus, the hide option keeps the window hidden, and the host's
# activation of the icon brings the window back: such hosts never report a double-click.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
command -v dbus-send >/dev/null || { echo "SKIP: dbus-send missing"; exit 77; }
watcher=$(dirname "$vlm_binary")/../tests/vlm_sniwatcher
[ -x "$watcher" ] || { echo "SKIP: $watcher not built"; exit 77; }

"$watcher" > "$home/items" 2> "$home/watcher.log" &
watcher_owns_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher 2>/dev/null |
        grep -q 'boolean true'
}
for _ in $(seq 100); do watcher_owns_name && break; sleep 0.1; done
watcher_owns_name || fail "the watcher did not start: $(cat "$home/watcher.log")"

convert -size 64x48 xc:'#008080' "$home/p.bmp" 2>/dev/null || printf 'BM' > "$home/p.bmp"
printf '%s\r\n' "$home/p.bmp" > "$home/c.vlk"
write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "cas=5" "jednotky=minut"
VLM_WALLPAPER_BACKEND=none start_vlm

item=
for _ in $(seq 100); do
    item=$(head -n 1 "$home/items")
    [ -n "$item" ] && break
    sleep 0.1
done
[ -n "$item" ] || fail "the icon did not register with the watcher"
xdotool search --onlyvisible --name '^Velmora$' >/dev/null && fail "the window shows although hidden"

dbus-send --session --type=method_call --dest="$item" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate int32:10 int32:10 || fail "the icon's item cannot be called"
wait_window Velmora >/dev/null || fail "activating the icon did not show the window"
echo "item $item registered; its activation shows the window"
