#!/usr/bin/env bash
# With a tray host (trayer) the hide option sends the window to the tray at start: the icon is
# embedded in the tray, no window shows, the tray menu's quit question (titled exactly
# "Konec aplikace") answered No keeps the program running, and a double-click on the icon
# brings the window back.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
command -v trayer >/dev/null || { echo "SKIP: trayer missing"; exit 77; }
command -v xwininfo >/dev/null || { echo "SKIP: xwininfo missing"; exit 77; }
command -v xprop >/dev/null || { echo "SKIP: xprop missing"; exit 77; }

convert -size 64x48 xc:'#808000' "$home/p.bmp" 2>/dev/null || printf 'BM' > "$home/p.bmp"
printf '%s\r\n' "$home/p.bmp" > "$home/c.vlk"
write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "cas=5" "jednotky=minut"
trayer --expand false --widthtype request --edge bottom >/dev/null 2>&1 &
sleep 1
VLM_WALLPAPER_BACKEND=none start_vlm

# The icon is a window of class "vlm" inside trayer's panel.
icon_geometry() {
    xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ { panel = 1; next }
        panel && /\("vlm" "vlm"\)/ { print $NF; exit }'
}
for _ in $(seq 80); do [ -n "$(icon_geometry)" ] && break; sleep 0.1; done
geometry=$(icon_geometry)
[ -n "$geometry" ] || fail "the tray icon was not embedded"
xdotool search --onlyvisible --name '^Velmora$' >/dev/null && fail "the window shows although hidden"

# "+949+1055" is the icon's position on the screen.
x=$(echo "$geometry" | cut -d+ -f2); y=$(echo "$geometry" | cut -d+ -f3)

# Quit from the tray menu, answered No: closing the question must not end the hidden program.
# Without a window manager a popup may miss the first click: try the menu a few times.
question=
for _ in 1 2 3; do
    xdotool mousemove $((x + 8)) $((y + 8)) click 3
    sleep 1
    xdotool key u
    question=$(wait_window "Konec aplikace") && break
    xdotool key Escape
done
[ -n "$question" ] || fail "the quit question did not appear"
title=$(xprop -id "$question" _NET_WM_NAME)
[ "$title" = '_NET_WM_NAME(UTF8_STRING) = "Konec aplikace"' ] || fail "the question's title: $title"
for _ in $(seq 30); do
    xdotool search --onlyvisible --name '^Konec aplikace$' >/dev/null || break
    xdotool key --window "$question" Escape 2>/dev/null
    sleep 0.2
done
sleep 0.5
kill -0 "$vlm_pid" 2>/dev/null || fail "answering No to the quit question ended the program"
xdotool search --onlyvisible --name '^Velmora$' >/dev/null && fail "the hidden window showed up"

for _ in 1 2 3; do
    xdotool mousemove $((x + 8)) $((y + 8)) click --repeat 2 --delay 80 1
    wait_window Velmora >/dev/null && break
done
wait_window Velmora >/dev/null || fail "a double-click on the icon did not show the window"
echo "icon embedded at $geometry; No keeps the program; double-click shows the window"
