#!/usr/bin/env bash
# Idle cost with the window hidden in the tray: wake-ups a second and CPU share of one core over
# IDLE_SECONDS (default 60), against a bare Qt window, and resident memory. Two rows of
# bench/compare.sh on their own.
set -eu
source "$(dirname "$0")/common.sh"
[ -n "${BENCH_OWN_BUS:-}" ] || BENCH_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
ensure_release_build
start_session
measure_idle "${IDLE_SECONDS:-60}"
echo "idle over ${IDLE_SECONDS:-60} s (visible windows: $idle_visible): $idle_wakeups wake-ups a" \
    "second, $idle_percent % of one core (a bare Qt window: $bare_wakeups a second," \
    "$bare_percent %), resident memory $((idle_rss_kib / 1024)) MiB"
