#!/usr/bin/env bash
# The program against references measured in the same run, on a private Xvfb 1920x1080 with
# the X11 backend: prints a Markdown table with the ratios and whether each goal is met.
#   bench/compare.sh        (BENCH_DISPLAY=:N picks the display; CHANGES, IDLE_SECONDS and
#                            STARTUP_RUNS change the counts; the Release build is made if missing)
set -eu
source "$(dirname "$0")/common.sh"
# A session bus of its own, as a desktop session has, without meeting a running copy.
[ -n "${BENCH_OWN_BUS:-}" ] || BENCH_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"

changes=${CHANGES:-20}
idle_seconds=${IDLE_SECONDS:-60}
startup_runs=${STARTUP_RUNS:-7}
entries=32767

ensure_release_build
start_session
echo "Machine: $(machine)"
mapfile -t photos < <(make_4k_jpegs 4)

measure_change_cpu "$changes" "${photos[@]}"
measure_xwallpaper_cpu "$changes" "${photos[@]}"
measure_djpeg_cpu "$changes" "${photos[@]}"
measure_startup "$startup_runs" "$entries"
measure_idle "$idle_seconds"

# verdict VALUE LIMIT: "met" when VALUE <= LIMIT
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "met" : "NOT met" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
change_ratio=$(ratio "$change_ms" "$xwallpaper_ms")
startup_ratio=$(ratio "$startup_ms" "$bare_ms")
shown_mib=$(awk -v k="$shown_rss_kib" 'BEGIN { printf "%.1f", k / 1024 }')

echo
echo "| what | this program | reference in the same run | ratio | goal | result |"
echo "|---|---|---|---|---|---|"
echo "| CPU per change, 3840x2160 JPEGs, 1 s interval, window hidden ($changes changes) |" \
    "$change_ms ms | one \`xwallpaper --zoom\` process on the same files: $xwallpaper_ms ms |" \
    "x$change_ratio | ≤ x0.8 | $(verdict "$change_ratio" 0.8) |"
echo "| idle, window hidden in the tray (${idle_seconds} s; visible windows: $idle_visible) |" \
    "$idle_percent % of a core | — | — | ≤ 0.1 % | $(verdict "$idle_percent" 0.1) |"
echo "| start-up with a remembered collection of 32,767 entries to a viewable window" \
    "(median of $startup_runs) | $startup_ms ms | a bare Qt window of the same size: $bare_ms ms |" \
    "x$startup_ratio | ≤ x1.5 | $(verdict "$startup_ratio" 1.5) |"
echo "| resident memory, window shown, 32,767 entries | $shown_mib MiB | — | — | ≤ 45 MiB |" \
    "$(verdict "$shown_mib" 45) |"
echo
echo "Floor of the change row: one \`djpeg\` process decoding the same JPEGs to /dev/null:" \
    "$djpeg_ms ms, x$(ratio "$djpeg_ms" "$xwallpaper_ms") of xwallpaper (above x0.8 no program" \
    "that decodes the whole picture at every change can meet the goal)"
echo "Floor of the start-up row: the same bare window showing one line of text: $text_ms ms," \
    "x$(ratio "$text_ms" "$bare_ms") of the bare window (the font database and the first glyphs)"
echo "Start-up runs in ms (program / bare window / with one line of text): $startup_samples"
echo "Resident memory when idle and hidden: $(awk -v k="$idle_rss_kib" 'BEGIN { printf "%.1f", k / 1024 }') MiB"
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
