#!/usr/bin/env bash
# Memory of the program with a large photograph as the current entry: resident while it waits
# (hidden in the tray, the photograph's preview shown), and the peak over the change that makes
# it the wallpaper. The photographs are smooth JPEGs (4:2:0, as cameras write them) made here.
#
#   bench/photo_memory.sh [megapixels...]     default: 48 108 200
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_release_build
start_session

# The width and height of a 4:3 photograph of about mp megapixels.
photo_size() { # mp
    awk -v mp="$1" 'BEGIN { w = int(sqrt(mp * 1e6 * 4 / 3) / 16) * 16; print w, int(w * 3 / 4) }'
}

# Row by row into cjpeg, so that not even the maker holds the whole picture.
make_photo() { # width height file
    python3 - "$1" "$2" <<'PY' | cjpeg -quality 90 >"$3"
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
out = sys.stdout.buffer
out.write(b"P6\n%d %d\n255\n" % (w, h))
red = bytes(x * 255 // w for x in range(w))
blue = bytes((x // 7) % 256 for x in range(2 * w))
row = bytearray(3 * w)
row[0::3] = red
for y in range(h):
    row[1::3] = bytes([y * 255 // h]) * w
    row[2::3] = blue[y % w:y % w + w]
    out.write(row)
PY
}

peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

echo "| photograph | resident, waiting | peak over its change |"
echo "|---|---|---|"
convert -size 64x48 xc:'#336699' "$work/small.bmp"
for mp in ${@:-48 108 200}; do
    read -r width height < <(photo_size "$mp")
    photo=$work/photo$mp.jpg
    make_photo "$width" "$height" "$photo"
    printf '%s\r\n' "$work/small.bmp" "$photo" >"$work/photo.vlk"
    # Start-up applies the small picture; the photograph becomes the current entry.
    write_options "lastfile=$work/photo.vlk" "index=0" "hide=1" "start=0" "cas=5" \
        "jednotky=hodin"
    start_tray
    start_vlm
    wait_for_changes 1 30
    sleep 2
    waiting=$(rss_kib "$vlm_pid")
    "$vlm" --change-now >/dev/null 2>&1
    wait_for_changes 1 60
    sleep 2 # the X11 backend draws the root picture on its own thread
    peak=$(peak_kib "$vlm_pid")
    stop "$vlm_pid"
    echo "| $mp megapixels (${width}x$height) | $((waiting / 1024)) MiB | $((peak / 1024)) MiB |"
done
