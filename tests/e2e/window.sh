#!/usr/bin/env bash
# The real program on a first start: the welcome message, then the window at its client size.
set -u
source "$(dirname "$0")/lib.sh"

write_options "hide=0"
start_vlm
message=$(wait_window Velmora) || fail "no welcome message"
# Without a window manager focus is not guaranteed: focus the message and press Enter until it
# closes.
for _ in $(seq 30); do
    xdotool search --onlyvisible --name '^Velmora$' | grep -qx "$message" || break
    xdotool windowfocus "$message" 2>/dev/null
    xdotool key Return
    sleep 0.3
done
window=$(wait_window Velmora) || fail "no window titled Velmora"
[ "$window" != "$message" ] || fail "the welcome message did not close"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
# Qt lays the window out at the logical DPI: Xft.dpi when the session sets it, else 96.
dpi=$(xrdb -query 2>/dev/null | sed -n 's/^Xft.dpi:[[:space:]]*//p')
dpi=${dpi:-96}
# The client area is 8040 x 7710 twips: 536 x 514 pixels at 96 dots per inch.
expected_width=$(( (8040 * dpi + 720) / 1440 ))
expected_height=$(( (7710 * dpi + 720) / 1440 ))
[ "$geometry" = "${expected_width}x${expected_height}" ] ||
    fail "window is $geometry, expected ${expected_width}x${expected_height} at $dpi dpi"
kill -0 "$vlm_pid" || fail "the program ended"
echo "window $geometry at $dpi dpi"
