#!/usr/bin/env bash
# The real program with a remembered collection of three solid pictures and a 3-second
# interval: the root window shows the stored picture at once and the next one on time, and
# the stored index follows.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
command -v convert >/dev/null || { echo "SKIP: imagemagick missing"; exit 77; }

pictures=$home/pictures
mkdir -p "$pictures"
convert -size 64x48 xc:'#ff0000' "$pictures/red.bmp"
convert -size 64x48 xc:'#00ff00' "$pictures/green.jpg"
convert -size 64x48 xc:'#0000ff' "$pictures/blue.bmp"
printf '%s\r\n' "$pictures/red.bmp" "$pictures/green.jpg" "$pictures/blue.bmp" > "$home/three.vlk"
write_options "hide=0" "start=0" "lastfile=$home/three.vlk" "index=1" "cas=3" "jednotky=sekund"

# The root window's colour near its top left corner (the window sits in the middle), "r,g,b".
root_colour() {
    convert x:root -crop 1x1+20+20 -depth 8 txt:- 2>/dev/null |
        sed -n '2s/^[^(]*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1,\2,\3/p'
}
# True when the colour is within 8 of the expected one in every channel (JPEG rounding).
close_to() {
    awk -F, -v a="$1" -v b="$2" 'BEGIN { split(a, x, ","); split(b, y, ",");
        for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < -8 || d > 8) exit 1 } }'
}
wait_colour() {
    for _ in $(seq 60); do
        close_to "$(root_colour)" "$1" && return 0
        sleep 0.1
    done
    return 1
}
index() { sed -n 's/^index=//p' "$XDG_CONFIG_HOME/vlm/vlm.ini"; }

VLM_WALLPAPER_BACKEND=x11 start_vlm
wait_colour "0,255,0" || fail "the stored entry (green) was not applied at start: $(root_colour)"
for _ in $(seq 30); do [ "$(index)" = "2" ] && break; sleep 0.1; done
[ "$(index)" = "2" ] || fail "index after start is $(index), expected 2: $(cat "$XDG_CONFIG_HOME/vlm/vlm.ini")"
wait_colour "0,0,255" || fail "blue did not follow after the interval: $(root_colour)"
[ "$(index)" = "0" ] || fail "index after the timed change is $(index), expected 0"
sleep 2.5
wait_colour "255,0,0" || fail "red did not follow: $(root_colour)"
kill -0 "$vlm_pid" || fail "the program ended"
echo "green, blue, red applied in turn"
