#!/usr/bin/env bash
# Memory of the program with a large photograph as the current entry: resident while it waits
# (hidden in the tray), and the program's own peak over the change that makes it the wallpaper,
# with its picture helper's peak and the bitmap written beside. The photographs are smooth JPEGs
# (made by pictures.sh and kept).
#
#   bench/photo_memory.sh [megapixels...]     default: 48 108 200
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_release_build
start_session

echo "| photograph | resident, waiting | the program's peak over its change | its helper's peak |" \
    "bitmap written |"
echo "|---|---|---|---|---|"
convert -size 64x48 xc:'#336699' "$work/small.bmp"
for mp in ${@:-48 108 200}; do
    photo=$(make_big_jpeg "$mp")
    printf '%s\r\n' "$work/small.bmp" "$photo" >"$work/photo.vlk"
    # Start-up applies the small picture; the photograph becomes the current entry.
    write_options "lastfile=$work/photo.vlk" "index=0" "hide=1" "start=0" "cas=5" \
        "jednotky=hodin"
    start_tray
    start_vlm
    wait_for_changes 1 30
    sleep 2
    waiting=$(rss_kib "$vlm_pid")
    "$helper_peak" "$vlm_pid" 10 >"$work/helper_peak" &
    sampler=$!
    "$vlm" --change-now >/dev/null 2>&1
    wait_for_changes 1 60
    sleep 2 # the X11 backend draws the root picture on its own thread
    peak=$(peak_rss_kib "$vlm_pid")
    stop "$sampler"
    read -r helper _ <"$work/helper_peak"
    bitmap=$(bitmap_file)
    stop "$vlm_pid"
    echo "| $mp megapixels ($(photo_size "$mp" | tr ' ' x)) | $((waiting / 1024)) MiB |" \
        "$((peak / 1024)) MiB | $((helper / 1024)) MiB | $(identify -format '%wx%h' "$bitmap")," \
        "$(awk -v b="$(stat -c %s "$bitmap")" 'BEGIN { printf "%.1f", b / 1048576 }') MiB |"
done
