#!/usr/bin/env bash
# The program against references measured in the same run, on a private Xvfb 1920x1080 with
# the X11 backend: prints a Markdown table with the ratios and whether each goal is met.
#   bench/compare.sh        (BENCH_DISPLAY=:N picks the display; CHANGES, IDLE_SECONDS,
#                            STARTUP_RUNS, HEIC_RUNS and SOAK_CHANGES change the counts, SOAK_CHANGES=0
#                            leaves the soak out; the Release build is made if missing; the test
#                            pictures are kept in BENCH_PICTURES, see pictures.sh)
set -eu
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/pipeline.sh"
# A session bus of its own, as a desktop session has, without meeting a running copy.
[ -n "${BENCH_OWN_BUS:-}" ] || BENCH_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"

changes=${CHANGES:-20}
idle_seconds=${IDLE_SECONDS:-60}
startup_runs=${STARTUP_RUNS:-7}
heic_runs=${HEIC_RUNS:-3}
soak_changes=${SOAK_CHANGES:-300}
entries=32767

ensure_release_build
start_session
echo "Machine: $(machine)"
mapfile -t photos < <(make_4k_photos 4)
mapfile -t noisy < <(make_4k_noisy_jpegs 4)
big_photo=$(make_48mp_photo)
heic=$(make_48mp_heic)
mapfile -t soak_photos < <(make_4k_photos 8)

measure_change_cpu "$changes" "${photos[@]}"
measure_xwallpaper_cpu "$changes" "${photos[@]}"
photo_ms=$change_ms photo_own_ms=$change_own_ms photo_xwallpaper_ms=$xwallpaper_ms
measure_change_cpu "$changes" "${noisy[@]}"
measure_xwallpaper_cpu "$changes" "${noisy[@]}"
measure_djpeg_cpu "$changes" "${noisy[@]}"
measure_startup "$startup_runs" "$entries"
measure_idle "$idle_seconds"
measure_big_photo "$big_photo"
measure_heic_change "$heic_runs" "$heic"
measure_clicks
[ "$soak_changes" -gt 0 ] && measure_soak "$soak_changes" "${soak_photos[@]}"

# verdict VALUE LIMIT: "met" when VALUE <= LIMIT
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "met" : "NOT met" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
photo_ratio=$(ratio "$photo_ms" "$photo_xwallpaper_ms")
noisy_ratio=$(ratio "$change_ms" "$xwallpaper_ms")
startup_ratio=$(ratio "$startup_ms" "$text_ms")
heic_ratio=$(ratio "$heic_ms" "$heif_convert_ms")
shown_mib=$(mib "$shown_rss_kib")
big_idle_mib=$(mib "$big_idle_rss_kib")
big_peak_mib=$(mib "$big_peak_kib")
big_written_mib=$(awk -v b="$big_written_bytes" 'BEGIN { printf "%.1f", b / 1048576 }')
big_bitmap_mib=$(awk -v b="$big_bitmap_bytes" 'BEGIN { printf "%.1f", b / 1048576 }')
clicks_peak_mib=$(mib "$clicks_peak_kib")

echo
echo "| what | this program | reference in the same run | ratio | goal | result |"
echo "|---|---|---|---|---|---|"
echo "| CPU per change, 3840x2160 photograph-like JPEGs (smooth, 4:2:0), 1 s interval, window" \
    "hidden ($changes changes; the program and its picture helpers) | $photo_ms ms | one" \
    "\`xwallpaper --zoom\` process on the same files: $photo_xwallpaper_ms ms | x$photo_ratio |" \
    "≤ x1.0 | $(verdict "$photo_ratio" 1.0) |"
echo "| the same with noisy JPEGs without chroma subsampling ($changes changes) |" \
    "$change_ms ms | \`xwallpaper --zoom\`: $xwallpaper_ms ms; one \`djpeg -scale 1/2\` process" \
    "decoding them: $djpeg_ms ms (x$(ratio "$djpeg_ms" "$xwallpaper_ms")) | x$noisy_ratio | — |" \
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
echo "| the same: the program's own peak over its change | $big_peak_mib MiB | its picture" \
    "helper's peak: $(mib "$big_helper_peak_kib") MiB; one \`xwallpaper --zoom\` process on the" \
    "same file: $(mib "$xwallpaper_peak_kib") MiB | — | ≤ 80 MiB | $(verdict "$big_peak_mib" 80) |"
echo "| the same: bytes written by its change | $big_written_mib MiB to storage; the bitmap" \
    "$big_bitmap_size, $big_bitmap_mib MiB | — | — | ≤ 8 MiB |" \
    "$(verdict "$(awk -v a="$big_written_mib" -v b="$big_bitmap_mib" 'BEGIN { print (a > b ? a : b) }')" 8) |"
echo "| a 48-megapixel HEIC's change (8000x6000, heif-enc -q 50), hidden: time to the new root" \
    "picture (median of $heic_runs; shown: $heic_shown) | $heic_ms ms | one \`heif-convert in.heic" \
    "out.jpg\` process: $heif_convert_ms ms | x$heic_ratio | ≤ x1.2 | $(verdict "$heic_ratio" 1.2) |"
echo "| window shown, changes on the session bus through a 48 MP HEIC, a 96 MP JPEG, a JPEG of" \
    "1,500 scans over 8192x8192 and a 35-byte GIF declaring 16000x16000 among 640x480" \
    "pictures: the worst answer to a click ($clicks_count clicks, each with a ping after it) |" \
    "$clicks_worst_ms ms | the same click at rest (median, with starting xdotool):" \
    "$clicks_rest_ms ms; worst property read on the bus (with starting dbus-send):" \
    "$dbus_worst_ms ms | — | ≤ 100 ms | $(verdict "$clicks_worst_ms" 100) |"
echo "| the same: the program's own peak memory since it started | $clicks_peak_mib MiB |" \
    "its picture helpers' largest peak: $(mib "$clicks_helper_peak_kib") MiB | — | ≤ 150 MiB |" \
    "$(verdict "$clicks_peak_mib" 150) |"
echo "| the same: pictures that can be shown that became the wallpaper (root window pixels) |" \
    "$clicks_shown | — | — | all | $([ "${clicks_shown% of *}" = "${clicks_shown#* of }" ] &&
        echo met || echo "NOT met") |"
if [ "$soak_changes" -gt 0 ]; then
    soak_growth=$(mib $((soak_max_kib - soak_first_kib)))
    echo "| $soak_counted changes at a 1 s interval over 8 photograph-like 4K JPEGs, hidden: the" \
        "highest resident memory above that just after the first change | $soak_growth MiB" \
        "(first $(mib "$soak_first_kib"), highest $(mib "$soak_max_kib"), lowest" \
        "$(mib "$soak_min_kib"), last" \
        "$(mib "$soak_last_kib") MiB) | — | — | ≤ 10 MiB | $(verdict "$soak_growth" 10) |"
fi
echo
echo "CPU per change of the photograph-like JPEGs: the program itself $photo_own_ms ms, its" \
    "helpers and bubblewrap the rest"
echo "Start-up against the same window without its label: $bare_ms ms; the program x$(ratio \
    "$startup_ms" "$bare_ms"), the label alone x$(ratio "$text_ms" "$bare_ms") (the font database" \
    "and the first glyphs)"
echo "Start-up runs in ms (program / window without a label / with one label): $startup_samples"
echo "48 MP HEIC runs in ms (program / heif-convert): $heic_samples"
echo "Per picture of the click row: $clicks_detail"
[ "$soak_changes" -gt 0 ] && echo "Soak: resident MiB every 30 changes:$soak_samples; open files $soak_fds"
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
