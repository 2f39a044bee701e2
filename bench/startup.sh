#!/usr/bin/env bash
# Start-up with a remembered collection of ENTRIES (default 32,767) entries to a viewable window,
# against a Qt window of the same size with one label (and the same window without it); the
# median of STARTUP_RUNS (default 7) alternating runs. One row of bench/compare.sh on its own.
# PICKER_FILES=N starts a portable copy instead, in a folder that also holds N photos' names: the
# folder the picker opens at start.
set -eu
source "$(dirname "$0")/common.sh"
[ -n "${BENCH_OWN_BUS:-}" ] || BENCH_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
ensure_release_build
start_session
if [ -n "${PICKER_FILES:-}" ]; then
    portable=$work/portable
    mkdir -p "$portable"
    cp "$vlm" "$(dirname "$vlm")"/{vlm-decode,vlm-decode-common,noimage.jpg} "$portable/"
    for ((i = 0; i < PICKER_FILES; i++)); do : >"$portable/photo$i.jpg"; done
    vlm=$portable/vlm
fi
measure_startup "${STARTUP_RUNS:-7}" "${ENTRIES:-32767}"
echo "start-up to a viewable window, ${ENTRIES:-32767} entries${PICKER_FILES:+, $PICKER_FILES photos in the folder the picker opens}: median $startup_ms ms," \
    "Qt window with one label $text_ms ms, without it $bare_ms ms (runs: $startup_samples);" \
    "resident memory" \
    "$((shown_rss_kib / 1024)) MiB"
