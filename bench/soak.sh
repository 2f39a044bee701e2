#!/usr/bin/env bash
# Soak run: the real program (Release build) on its own Xvfb with the X11 backend changes the
# wallpaper every second for SOAK_SECONDS (default 600) over 50 mixed pictures. Counts the
# changes (the root pixmap and the stored index) and reports resident memory and open files
# at the start and the end.
#   bench/soak.sh [path/to/vlm]     (default build-release/src/vlm, built when missing)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${SOAK_SECONDS:-600}
vlm=${1:-build-release/src/vlm}
if [ ! -x "$vlm" ]; then
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLM_BUILD_TESTS=OFF \
        -DVLM_BUILD_BENCH=OFF >/dev/null
    cmake --build build-release -j"$(nproc)" --target vlm vlm-metafile
    vlm=build-release/src/vlm
fi

home=$(mktemp -d)
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_RUNTIME_DIR=$home/run VLM_WALLPAPER_BACKEND=x11
mkdir -p "$XDG_CONFIG_HOME/vlm" "$XDG_RUNTIME_DIR" "$home/pictures" && chmod 700 "$XDG_RUNTIME_DIR"

display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
vlm_pid=
cleanup() {
    [ -n "$vlm_pid" ] && kill "$vlm_pid" 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

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

{
    echo "[options]"
    printf '%s\n' "hide=1" "start=0" "lastfile=$list" "index=0" "cas=1" "jednotky=sekund"
} > "$XDG_CONFIG_HOME/vlm/vlm.ini"

"$vlm" > "$home/vlm.log" 2>&1 &
vlm_pid=$!

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$vlm_pid/status"; }
fds() { ls "/proc/$vlm_pid/fd" | wc -l; }
root_pixmap() { xprop -root _XROOTPMAP_ID 2>/dev/null | awk '{ print $NF }'; }
index() { sed -n 's/^index=//p' "$XDG_CONFIG_HOME/vlm/vlm.ini"; }

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
