#!/usr/bin/env bash
# With a tray host (trayer) the hide option sends the window to the tray at start: the icon is
# embedded, no window shows, the tray menu's quit question answered No keeps the program
# running, and a double-click on the icon brings the window back.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
need trayer xwininfo

make_collection p.bmp:808000
write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "cas=5" "jednotky=minut"
trayer --expand false --widthtype request --edge bottom >/dev/null 2>&1 &
wait_for xdotool search --class trayer >/dev/null || fail "trayer did not start"
VLM_WALLPAPER_BACKEND=none start_vlm

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
question=
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
