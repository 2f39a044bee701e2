#!/usr/bin/env bash
# The hide option keeps the window hidden at start, its icon in the tray. A StatusNotifier host
# on the session bus gets the icon over D-Bus, and its activation (never a double-click) shows
# the window. In a tray host (trayer) the icon is embedded, the tray menu's quit question
# answered No keeps the program running, and a double-click on the icon shows the window.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
need dbus-send trayer xwininfo
watcher=$(dirname "$vlm_binary")/../tests/vlm_sniwatcher
[ -x "$watcher" ] || { echo "SKIP: $watcher not built"; exit 77; }
export VLM_WALLPAPER_BACKEND=none
make_collection p.bmp:808000
write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "cas=5" "jednotky=minut"

"$watcher" > "$home/items" 2> "$home/watcher.log" &
watcher_pid=$!
watcher_owns_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher | grep -q 'true'
}
wait_for watcher_owns_name 2>/dev/null || fail "the watcher did not start: $(cat "$home/watcher.log")"
start_vlm
wait_for test -s "$home/items" || fail "the icon did not register with the watcher"
[ -z "$(windows Velmora)" ] || fail "the window shows although hidden"
dbus-send --session --type=method_call --dest="$(head -n 1 "$home/items")" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate int32:10 int32:10 || fail "the icon's item cannot be called"
wait_window Velmora >/dev/null || fail "activating the icon did not show the window"
wait_end term || exit 1
kill "$watcher_pid" && wait "$watcher_pid" 2>/dev/null

trayer --expand false --widthtype request --edge bottom >/dev/null 2>&1 &
wait_for xdotool search --class trayer >/dev/null || fail "trayer did not start"
start_vlm
# The icon is a window of class "vlm" inside trayer's panel; prints its "+x+y" on the screen.
icon_geometry() {
    xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ { panel = 1; next }
        panel && /\("vlm" "vlm"\)/ { print $NF; found = 1; exit } END { exit !found }'
}
wait_for icon_geometry >/dev/null || fail "the tray icon was not embedded"
[ -z "$(windows Velmora)" ] || fail "the window shows although hidden"
IFS=+ read -r _ x y < <(icon_geometry)

# Quit from the tray menu, answered No: closing the question must not end the hidden program.
# Without a window manager a popup may miss the first click: try the menu a few times.
for _ in 1 2 3; do
    xdotool mousemove $((x + 8)) $((y + 8)) click 3
    sleep 1 # the menu opens before the key reaches it
    xdotool key u
    question=$(deadline=5 wait_window "Konec aplikace") && break
    xdotool key Escape
done
press_until_closed "$question" Escape
[ -z "$(windows Velmora)" ] || fail "the hidden window showed up"

# Only the running program can answer the double-click.
for _ in 1 2 3; do
    xdotool mousemove $((x + 8)) $((y + 8)) click --repeat 2 --delay 80 1
    deadline=5 wait_window Velmora >/dev/null && break
done
wait_window Velmora >/dev/null || fail "a double-click on the icon did not show the window"
