#!/usr/bin/env bash
# Soak run: the real program (Release build) on its own Xvfb with the X11 backend changes the
# wallpaper every second for SOAK_SECONDS (default 600) over 50 mixed pictures. Counts the
# changes (the root pixmap and the stored index) and reports resident memory and open files
# at the start and the end.
#   bench/soak.sh     (the Release build, made when missing; BENCH_DISPLAY picks the display)
set -euo pipefail
source "$(dirname "$0")/common.sh"
[ -n "${BENCH_OWN_BUS:-}" ] || BENCH_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
seconds=${SOAK_SECONDS:-600}
ensure_release_build
start_session
home=$work
mkdir -p "$home/pictures"

# 50 pictures: BMP, JPEG and GIF from 320x200 to 3840x2160.
sizes=(320x200 800x600 1024x768 1920x1080 2560x1440 3840x2160 640x480 1280x1024 1600x900 200x300)
formats=(bmp jpg gif)
list=$home/soak.vlk
: > "$list"
for i in $(seq 0 49); do
    file=$home/pictures/p$i.${formats[i % 3]}
    convert -size "${sizes[i % 10]}" "plasma:fractal" -seed "$i" "$file" 2>/dev/null ||
        convert -size "${sizes[i % 10]}" "gradient:#$(printf '%06x' $((i * 335544)))-#203040" "$file"
    printf '%s\r\n' "$file" >> "$list"
done

write_options "hide=1" "start=0" "lastfile=$list" "index=0" "cas=1" "jednotky=sekund"
start_vlm

rss() { rss_kib "$vlm_pid"; }
fds() { ls "/proc/$vlm_pid/fd" | wc -l; }
root_pixmap() { xprop -root _XROOTPMAP_ID 2>/dev/null | awk '{ print $NF }'; }
index() { stored_index; }

# Warm-up: the first changes allocate what the program keeps.
sleep 5
start_rss=$(rss) start_fds=$(fds)
pixmap_changes=0 index_changes=0
last_pixmap=$(root_pixmap) last_index=$(index)
end=$((SECONDS + seconds))
samples="" next_sample=$SECONDS
while [ $SECONDS -lt $end ]; do
    # Resident memory every 30 s tells growth that levels off from a leak.
    [ $SECONDS -ge $next_sample ] && samples="$samples $(($(rss) / 1024))" &&
        next_sample=$((next_sample + 30))
    sleep 0.2
    kill -0 "$vlm_pid" 2>/dev/null || { echo "FAIL: the program ended"; cat "$home/vlm.log"; exit 1; }
    pixmap=$(root_pixmap) idx=$(index)
    [ "$pixmap" != "$last_pixmap" ] && pixmap_changes=$((pixmap_changes + 1)) && last_pixmap=$pixmap
    [ -n "$idx" ] && [ "$idx" != "$last_index" ] && index_changes=$((index_changes + 1)) &&
        last_index=$idx
done
end_rss=$(rss) end_fds=$(fds)

echo "soak: ${seconds} s, interval 1 s, 50 pictures"
echo "changes: stored index moved $index_changes times, root pixmap changed $pixmap_changes times (expected about $seconds)"
echo "resident memory: start $((start_rss / 1024)) MiB ($start_rss KiB), end $((end_rss / 1024)) MiB ($end_rss KiB), growth $(((end_rss - start_rss) / 1024)) MiB"
echo "resident memory every 30 s (MiB):$samples"
echo "open files: start $start_fds, end $end_fds"
