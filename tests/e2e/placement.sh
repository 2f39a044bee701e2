#!/usr/bin/env bash
# Placement on a plain X11 root (one 1920x1080 monitor): a 400x200 picture, its left half red
# and its right half blue, lands where each mode puts it, "vlm --fit MODE" switching the running
# copy, which shows the picture in place again; fit's bands take the background option. A bad
# mode is refused with status 2 and changes nothing.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
need convert
export VLM_WALLPAPER_BACKEND=x11
mkdir -p "$home/pictures"
convert -size 200x200 xc:#ff0000 xc:#0000ff +append "BMP3:$home/pictures/halves.bmp"
printf '%s\r\n' "$home/pictures/halves.bmp" > "$home/c.vlk"
write_options "hide=0" "start=0" "lastfile=$home/c.vlk" "index=0" "cas=1" "jednotky=hodin" \
    "fit=fill" "background=#00ff00"

# "x,y=r,g,b" probes of the root picture, each exact within 8 per channel.
root_at() { convert x:root -crop "1x1+${1%,*}+${1#*,}" -format '%[fx:int(255*r+.5)],%[fx:int(255*g+.5)],%[fx:int(255*b+.5)]' info: 2>/dev/null; }
near() { awk -F, -v a="$1" -v b="$2" 'BEGIN { if (split(a, x, ",") != 3) exit 1;
    split(b, y, ","); for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < -8 || d > 8) exit 1 } }'; }
probes_hold() {
    local probe
    for probe; do near "$(root_at "${probe%%=*}" | tr -d '\n')" "${probe#*=}" || return 1; done
}
places() {
    local mode=$1
    shift
    wait_for probes_hold "$@" || {
        local probe seen=
        for probe; do seen+=" ${probe%%=*}=$(root_at "${probe%%=*}")"; done
        fail "$mode: expected $*, the root shows$seen"
    }
}
red=255,0,0 blue=0,0,255 band=0,255,0

start_vlm
main=$(wait_window Velmora) || fail "no window"
xdotool windowunmap "$main" # the root's middle in view
# fill: scale 5.4, 120 columns cut on each side, the seam in the middle.
places fill 100,100=$red 900,540=$red 1020,540=$blue 1800,1000=$blue
timeout 30 "$vlm_binary" --fit fit || fail "vlm --fit fit ended with $?"
# fit: scale 4.8, bands of 60 rows above and below.
places fit 100,30=$band 100,100=$red 1800,1000=$blue 1800,1050=$band
[ "$(option fit)" = fit ] || fail "the option was not stored: $(option fit)"
timeout 30 "$vlm_binary" --fit center || fail "vlm --fit center ended with $?"
# center: pixel for pixel at (760, 440).
places center 750,540=$band 770,450=$red 1150,630=$blue 1170,540=$band 960,430=$band
timeout 30 "$vlm_binary" --fit=tile || fail "vlm --fit=tile ended with $?"
places tile 10,10=$red 210,10=$blue 410,210=$red 1810,1050=$blue
timeout 30 "$vlm_binary" --fit stretch || fail "vlm --fit stretch ended with $?"
places stretch 100,100=$red 940,540=$red 980,540=$blue 1800,1000=$blue
import -window root "$home/shot.png" 2>/dev/null && [ -n "${VLM_E2E_SHOT:-}" ] &&
    cp "$home/shot.png" "$VLM_E2E_SHOT"

out=$(timeout 30 "$vlm_binary" --fit zoom 2>&1)
status=$?
[ "$status" = 2 ] && [[ $out == *zoom* ]] || fail "--fit zoom ended with $status: $out"
[ "$(option fit)" = stretch ] || fail "a refused mode was stored: $(option fit)"
running || fail "the program ended"
