#!/usr/bin/env bash
# Soak run: the real program (Release build) on its own Xvfb with the X11 backend, hidden in a
# tray, changes the wallpaper every second SOAK_CHANGES times (default 300) over 8 photograph-like
# 4K JPEGs; reports its resident memory just after the first change and after each (the goal:
# never more than 10 MiB above the first), and its open files.
#   bench/soak.sh     (the Release build, made when missing; BENCH_DISPLAY picks the display)
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/pipeline.sh"
[ -n "${BENCH_OWN_BUS:-}" ] || BENCH_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
ensure_release_build
start_session
echo "Machine: $(machine)"
mapfile -t photos < <(make_4k_photos 8)
measure_soak "${SOAK_CHANGES:-300}" "${photos[@]}"
growth=$(((soak_max_kib - soak_first_kib) / 1024))
echo "soak: $soak_counted changes at a 1 s interval over 8 photograph-like 4K JPEGs"
echo "resident memory: just after the first change $((soak_first_kib / 1024)) MiB, highest" \
    "$((soak_max_kib / 1024)) MiB (+$growth), lowest $((soak_min_kib / 1024)) MiB, last $((soak_last_kib / 1024)) MiB;" \
    "$([ "$growth" -le 10 ] && echo "within" || echo "NOT within") 10 MiB"
echo "resident memory every 30 changes (MiB):$soak_samples"
echo "open files: $soak_fds"
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
