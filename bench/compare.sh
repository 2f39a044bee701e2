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
mapfile -t photos < <(make_4k_photos 4)
mapfile -t noisy < <(make_4k_noisy_jpegs 4)
big_photo=$(make_48mp_photo)

measure_change_cpu "$changes" "${photos[@]}"
measure_xwallpaper_cpu "$changes" "${photos[@]}"
photo_ms=$change_ms photo_xwallpaper_ms=$xwallpaper_ms
measure_change_cpu "$changes" "${noisy[@]}"
measure_xwallpaper_cpu "$changes" "${noisy[@]}"
measure_djpeg_cpu "$changes" "${noisy[@]}"
measure_startup "$startup_runs" "$entries"
measure_idle "$idle_seconds"
measure_big_photo "$big_photo"

# verdict VALUE LIMIT: "met" when VALUE <= LIMIT
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "met" : "NOT met" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
photo_ratio=$(ratio "$photo_ms" "$photo_xwallpaper_ms")
noisy_ratio=$(ratio "$change_ms" "$xwallpaper_ms")
startup_ratio=$(ratio "$startup_ms" "$text_ms")
shown_mib=$(mib "$shown_rss_kib")
big_idle_mib=$(mib "$big_idle_rss_kib")
big_peak_mib=$(mib "$big_peak_kib")
xwallpaper_peak_mib=$(mib "$xwallpaper_peak_kib")

echo
echo "| what | this program | reference in the same run | ratio | goal | result |"
echo "|---|---|---|---|---|---|"
echo "| CPU per change, 3840x2160 photograph-like JPEGs (smooth, 4:2:0), 1 s interval, window" \
    "hidden ($changes changes) | $photo_ms ms | one \`xwallpaper --zoom\` process on the same" \
    "files: $photo_xwallpaper_ms ms | x$photo_ratio | ≤ x1.0 | $(verdict "$photo_ratio" 1.0) |"
echo "| the same with noisy JPEGs without chroma subsampling ($changes changes) |" \
    "$change_ms ms | \`xwallpaper --zoom\`: $xwallpaper_ms ms; one \`djpeg\` process decoding" \
    "them: $djpeg_ms ms (x$(ratio "$djpeg_ms" "$xwallpaper_ms")) | x$noisy_ratio | — |" \
    "informative |"
echo "| start-up with a remembered collection of 32,767 entries to a viewable window" \
    "(median of $startup_runs) | $startup_ms ms | a Qt window of the same size with one label:" \
    "$text_ms ms |" \
    "x$startup_ratio | ≤ x1.5 | $(verdict "$startup_ratio" 1.5) |"
echo "| resident memory, window shown, 32,767 entries | $shown_mib MiB | — | — | ≤ 45 MiB |" \
    "$(verdict "$shown_mib" 45) |"
echo "| hidden in the tray, menu closed ($idle_seconds s; visible windows: $idle_visible):" \
    "wake-ups of all threads | $idle_wakeups a second | a bare Qt window, idle over the same" \
    "seconds: $bare_wakeups a second | — | ≤ 2 a second | $(verdict "$idle_wakeups" 2) |"
echo "| the same: CPU | $idle_percent % of a core | the bare window: $bare_percent % | — |" \
    "≤ 0.05 % | $(verdict "$idle_percent" 0.05) |"
echo "| a 48-megapixel photo (8000x6000 JPEG, 4:2:0) as the current entry, hidden: resident" \
    "memory | $big_idle_mib MiB | the same with a 64x48 picture: $(mib "$idle_rss_kib") MiB |" \
    "— | ≤ 60 MiB | $(verdict "$big_idle_mib" 60) |"
echo "| the same: peak memory over its change | $big_peak_mib MiB | one \`xwallpaper --zoom\`" \
    "process on the same file: $xwallpaper_peak_mib MiB | x$(ratio "$big_peak_kib" "$xwallpaper_peak_kib") |" \
    "≤ 250 MiB | $(verdict "$big_peak_mib" 250) |"
echo
echo "Floor of the noisy change row: the \`djpeg\` process decodes the whole picture, as every" \
    "change must for the full-size bitmap; on these files decoding alone is most of what" \
    "xwallpaper spends"
echo "Start-up against the same window without its label: $bare_ms ms; the program x$(ratio \
    "$startup_ms" "$bare_ms"), the label alone x$(ratio "$text_ms" "$bare_ms") (the font database" \
    "and the first glyphs)"
echo "Start-up runs in ms (program / window without a label / with one label): $startup_samples"
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
