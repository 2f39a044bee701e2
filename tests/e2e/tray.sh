#!/usr/bin/env bash
# With a tray host (trayer) the hide option sends the window to the tray at start: the icon is
# embedded in the tray, no window shows, and a double-click on the icon brings the window back.
set -u
source "$(dirname "$0")/lib.sh"
command -v trayer >/dev/null || { echo "SKIP: trayer missing"; exit 77; }
command -v xwininfo >/dev/null || { echo "SKIP: xwininfo missing"; exit 77; }

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

# "+949+1055" is the icon's position on the screen; click its middle twice.
x=$(echo "$geometry" | cut -d+ -f2); y=$(echo "$geometry" | cut -d+ -f3)
xdotool mousemove $((x + 8)) $((y + 8)) click --repeat 2 --delay 80 1
wait_window Velmora >/dev/null || fail "a double-click on the icon did not show the window"
echo "icon embedded at $geometry; double-click shows the window"
