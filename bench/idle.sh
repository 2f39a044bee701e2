#!/usr/bin/env bash
# Idle cost with the window hidden in the tray: CPU share of one core over IDLE_SECONDS
# (default 60) and resident memory. Usage: bench/idle.sh [path/to/vlm]
set -eu
source "$(dirname "$0")/common.sh"
seconds=${IDLE_SECONDS:-60}
make_collection 100
write_options "lastfile=$work/c.vlk" "index=0" "hide=1" "start=0" "cas=30" "jednotky=minut"
trayer --expand false --widthtype request >/dev/null 2>&1 &  # a tray, so the window may hide
sleep 1
"$vlm" >/dev/null 2>&1 &
pid=$!
sleep 5
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
visible=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | wc -l)
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" -v rss="$rss" -v v="$visible" 'BEGIN {
    printf "idle over %d s (visible windows: %d): %.3f %% of one core, resident memory %.1f MiB\n",
           s, v, 100 * t / (hz * s), rss / 1024 }'
