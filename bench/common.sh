# Shared by the benchmark scripts: the Release binaries, a private Xvfb 1920x1080 and a
# temporary HOME, and the measurements themselves, so compare.sh and the single-row scripts
# measure the same way. Source it; BENCH_DISPLAY picks the display (default: a random one).
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench_build=${BENCH_BUILD:-$bench_root/build-release}
vlm=${VLM:-$bench_build/src/vlm}
bare_window=$bench_build/bench/bare_window
window_timer=$bench_build/bench/window_timer
root_timer=$bench_build/bench/root_timer
answer_probe=$bench_build/bench/answer_probe
helper_peak=$bench_build/bench/helper_peak
hz=$(getconf CLK_TCK)
source "$bench_root/bench/pictures.sh"

# Builds what the benchmarks run when it is missing (Release, with the benchmark helpers).
ensure_release_build() {
    local tool
    for tool in "$vlm" "$(dirname "$vlm")/vlm-decode" "$(dirname "$vlm")/vlm-decode-common" \
        "$bare_window" "$window_timer" "$root_timer" "$answer_probe" "$helper_peak"; do
        [ -x "$tool" ] || break
    done
    [ -x "$tool" ] && return
    cmake -S "$bench_root" -B "$bench_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DVLM_BUILD_TESTS=OFF >/dev/null
    cmake --build "$bench_build" -j"$(nproc)" --target vlm vlm-decode vlm-decode-common bare_window \
        window_timer root_timer answer_probe helper_peak
}

# Starts Xvfb and points DISPLAY, HOME and the XDG folders at private places; all is removed
# and every process started here is ended on exit.
start_session() {
    work=$(mktemp -d)
    display=${BENCH_DISPLAY:-:$((200 + RANDOM % 100))}
    # -noreset: as on a desktop, where the session keeps clients connected, the server does not
    # start over (some 30 ms) whenever the last client leaves, which a start-up would wait for
    Xvfb "$display" -screen 0 1920x1080x24 -dpi 96 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    trap end_session EXIT
    make_cpu_group
    export DISPLAY=$display HOME=$work XDG_CONFIG_HOME=$work/.config
    export XDG_DATA_HOME=$work/.local/share XDG_RUNTIME_DIR=$work/run
    export VLM_WALLPAPER_BACKEND=${VLM_WALLPAPER_BACKEND:-x11}
    mkdir -p "$XDG_CONFIG_HOME/vlm" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    options_file=$XDG_CONFIG_HOME/vlm/vlm.ini
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    echo "Xvfb on $display did not start" >&2
    exit 1
}

end_session() {
    local pid
    set +e # a job that has ended already must not keep the rest from being ended
    for pid in $(jobs -p); do [ "$pid" != "$xvfb_pid" ] && kill "$pid" 2>/dev/null; done
    kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
    [ -z "$cpu_group" ] || for _ in $(seq 50); do rmdir "$cpu_group" 2>/dev/null && break; sleep 0.1; done
}

# A cgroup holding the program and everything it starts, also the processes whose parent does
# not wait for them (bubblewrap's own around a picture helper, whose CPU time the program's
# children's time in /proc/PID/stat therefore misses): its counter keeps the CPU time of
# processes that have ended. Empty where none can be made (not root, no cpuacct or cgroup v2).
cpu_group=""
make_cpu_group() {
    local base
    for base in /sys/fs/cgroup/cpuacct /sys/fs/cgroup/unified /sys/fs/cgroup; do
        [ -e "$base/cgroup.procs" ] && mkdir "$base/vlm-bench-$$" 2>/dev/null &&
            cpu_group=$base/vlm-bench-$$ && return
    done
    return 0
}
# CPU milliseconds of the program with what it started: the cgroup's counter, else the
# program's own time and that of the children it has waited for.
program_cpu_ms() {
    if [ -e "$cpu_group/cpuacct.usage" ]; then
        awk '{ printf "%.1f", $1 / 1e6 }' "$cpu_group/cpuacct.usage"
    elif [ -n "$cpu_group" ]; then
        awk '/^usage_usec/ { printf "%.1f", $2 / 1e3 }' "$cpu_group/cpu.stat"
    else
        awk -v hz="$hz" '{ printf "%.1f", 1000 * ($14 + $15 + $16 + $17) / hz }' "/proc/$vlm_pid/stat"
    fi
}
cpu_accounting() {
    if [ -n "$cpu_group" ]; then echo "cgroup $(basename "$(dirname "$cpu_group")")"
    else echo "/proc/PID/stat with waited-for children"; fi
}

machine() {
    echo "$(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
        "load average $(cut -d' ' -f1-3 /proc/loadavg)"
}

# A collection file of n entries naming one picture (default: a small bitmap).
make_collection() { # n [picture]
    local picture=${2:-$work/small.bmp}
    [ -e "$picture" ] || convert -size 64x48 xc:'#336699' "$picture"
    awk -v n="$1" -v p="$picture" 'BEGIN { for (i = 0; i < n; i++) printf "%s\r\n", p }' \
        >"$work/c.vlk"
}

write_options() { { echo "[options]"; printf '%s\n' "$@"; } >"$options_file"; }
stored_index() {
    local line
    while IFS= read -r line; do
        if [[ $line == index=* ]]; then echo "${line#index=}"; fi
    done <"$options_file"
}
# CPU ticks of a process itself, user and system.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
write_bytes() { awk '/^write_bytes:/ { print $2 }' "/proc/$1/io"; }
# The wallpaper bitmap the program writes: beside the executable in a build tree, else in the
# data folder.
bitmap_file() {
    local beside
    beside=$(dirname "$vlm")/vlmimage.bmp
    if [ -e "$beside" ]; then echo "$beside"; else echo "$XDG_DATA_HOME/vlm/vlmimage.bmp"; fi
}
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
peak_rss_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
# Context switches and CPU nanoseconds of all threads of a process, summed: "switches ns". A
# thread that sleeps and wakes is switched out once per wake-up.
thread_totals() { # pid
    local switches ns
    switches=$(cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/ctxt_switches:/ { s += $2 } END { printf "%.0f", s }')
    ns=$(cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }')
    echo "$switches $ns"
}
# How much one field of two thread_totals readings grew a second, divided by `divisor`.
per_second() { # before after field divisor seconds
    awk -v a="$1" -v b="$2" -v f="$3" -v d="$4" -v s="$5" \
        'BEGIN { split(a, x, " "); split(b, y, " "); printf "%.3f", (y[f] - x[f]) / d / s }'
}
# Ends a process, also one this shell did not start, and waits until it is gone.
stop() {
    kill "$1" 2>/dev/null || return 0
    wait "$1" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.05; done
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# A system tray, so that the hidden window may hide.
start_tray() {
    [ -n "${tray_pid:-}" ] && return
    trayer --expand false --widthtype request >/dev/null 2>&1 &
    tray_pid=$!
    sleep 1
}

start_vlm() {
    "$vlm" >"$work/vlm.log" 2>&1 &
    vlm_pid=$!
    [ -z "$cpu_group" ] || echo "$vlm_pid" >"$cpu_group/cgroup.procs"
}

# Waits until the stored index has moved n times; gives up after `patience` seconds (default 10)
# without a move.
wait_for_changes() { # n [patience]
    local left=$1 patience=${2:-10} last now deadline
    last=$(stored_index)
    deadline=$((SECONDS + patience))
    while [ "$left" -gt 0 ]; do
        kill -0 "$vlm_pid" 2>/dev/null || { echo "the program ended" >&2; return 1; }
        [ $SECONDS -gt $deadline ] && { echo "no change for $patience s" >&2; return 1; }
        sleep 0.02
        now=$(stored_index)
        if [ -n "$now" ] && [ "$now" != "$last" ]; then
            last=$now left=$((left - 1)) deadline=$((SECONDS + patience))
        fi
    done
}

# Waits until the stored index is `index`, at most `patience` seconds (default 60).
wait_for_index() { # index [patience]
    local deadline=$((SECONDS + ${2:-60}))
    until [ "$(stored_index)" = "$1" ]; do
        kill -0 "$vlm_pid" 2>/dev/null || { echo "the program ended" >&2; return 1; }
        [ $SECONDS -gt $deadline ] && { echo "the index did not become $1" >&2; return 1; }
        sleep 0.05
    done
}

# CPU milliseconds the running program spends per wallpaper change: 4K JPEGs, a change every
# second, the window hidden in the tray. The CPU time of the program and of the picture helpers
# it started (program_cpu_ms) is read half a second after a change, before the first and after
# the last of `changes` changes. Sets change_ms, and change_own_ms for the program alone.
measure_change_cpu() { # changes pictures...
    local changes=$1 before after own_before own_after
    shift
    printf '%s\r\n' "$@" >"$work/photos.vlk"
    write_options "lastfile=$work/photos.vlk" "index=0" "hide=1" "start=0" "cas=1" \
        "jednotky=sekund"
    start_tray
    start_vlm
    wait_for_changes 3 || return 1 # the first changes allocate what the program keeps
    sleep 0.5
    before=$(program_cpu_ms) own_before=$(cpu_ticks "$vlm_pid")
    wait_for_changes "$changes" || return 1
    sleep 0.5
    after=$(program_cpu_ms) own_after=$(cpu_ticks "$vlm_pid")
    stop "$vlm_pid"
    change_ms=$(awk -v a="$before" -v b="$after" -v n="$changes" \
        'BEGIN { printf "%.1f", (b - a) / n }')
    change_own_ms=$(awk -v t=$((own_after - own_before)) -v n="$changes" -v hz="$hz" \
        'BEGIN { printf "%.1f", 1000 * t / hz / n }')
}

# CPU milliseconds of one whole `xwallpaper --zoom FILE` process (user + system, /usr/bin/time),
# the mean over `runs` runs cycling through the pictures. Sets xwallpaper_ms.
measure_xwallpaper_cpu() { # runs pictures...
    local runs=$1 total=0 i
    shift
    local pictures=("$@")
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f '%U %S' -o "$work/time" xwallpaper --zoom "${pictures[i % ${#pictures[@]}]}" ||
            return 1
        total=$(awk -v t="$total" '{ print t + $1 + $2 }' "$work/time")
    done
    xwallpaper_ms=$(awk -v t="$total" -v n="$runs" 'BEGIN { printf "%.1f", 1000 * t / n }')
}

# One whole djpeg process decoding each picture at 1/2 (what covers 1920x1080 for a 4K picture,
# as a change now decodes it) to pixels thrown away, CPU time per run as for xwallpaper. Sets
# djpeg_ms.
measure_djpeg_cpu() { # runs pictures...
    local runs=$1 total=0 i
    shift
    local pictures=("$@")
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f '%U %S' -o "$work/time" djpeg -scale 1/2 -outfile /dev/null \
            "${pictures[i % ${#pictures[@]}]}" || return 1
        total=$(awk -v t="$total" '{ print t + $1 + $2 }' "$work/time")
    done
    djpeg_ms=$(awk -v t="$total" -v n="$runs" 'BEGIN { printf "%.1f", 1000 * t / n }')
}

# Wake-ups a second (context switches of all threads) and share of one core used over
# `seconds` with the window hidden in the tray and its menu closed, after 5 s to settle; the
# same of a bare Qt window idle over the same seconds, the reference; also the program's
# resident memory then. Sets idle_wakeups, idle_percent, bare_wakeups, bare_percent,
# idle_rss_kib and idle_visible.
measure_idle() { # seconds
    local seconds=$1 bare_pid ours0 ours1 bare0 bare1
    make_collection 100
    write_options "lastfile=$work/c.vlk" "index=0" "hide=1" "start=0" "cas=30" "jednotky=minut"
    start_tray
    start_vlm
    "$bare_window" >/dev/null 2>&1 &
    bare_pid=$!
    sleep 5
    ours0=$(thread_totals "$vlm_pid") bare0=$(thread_totals "$bare_pid")
    sleep "$seconds"
    ours1=$(thread_totals "$vlm_pid") bare1=$(thread_totals "$bare_pid")
    idle_rss_kib=$(rss_kib "$vlm_pid")
    idle_visible=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | wc -l)
    stop "$vlm_pid"
    stop "$bare_pid"
    idle_wakeups=$(per_second "$ours0" "$ours1" 1 1 "$seconds")
    idle_percent=$(per_second "$ours0" "$ours1" 2 1e7 "$seconds") # % of a second in ns
    bare_wakeups=$(per_second "$bare0" "$bare1" 1 1 "$seconds")
    bare_percent=$(per_second "$bare0" "$bare1" 2 1e7 "$seconds")
}

# A 48-megapixel photograph as the current entry, the window hidden in the tray: the resident
# memory 5 s after start-up's change, and over one change of it, asked for on the session bus:
# the program's own peak (VmHWM, reset just before), its picture helper's peak (sampled every
# 10 ms), the bytes the program wrote to storage and the size of the bitmap it wrote. The
# reference is the peak of one `xwallpaper --zoom` process on the same file. Sets
# big_idle_rss_kib, big_peak_kib, big_helper_peak_kib, big_written_bytes, big_bitmap_bytes,
# big_bitmap_size and xwallpaper_peak_kib.
measure_big_photo() { # picture
    local written sampler bitmap
    printf '%s\r\n' "$1" "$1" >"$work/big.vlk"
    write_options "lastfile=$work/big.vlk" "index=0" "hide=1" "start=0" "cas=1" "jednotky=hodin"
    start_tray
    start_vlm
    wait_for_index 1 || return 1 # start-up's change; entry 1, the same photo, is current
    sleep 5
    big_idle_rss_kib=$(rss_kib "$vlm_pid")
    bitmap=$(bitmap_file)
    rm -f "$bitmap"
    "$helper_peak" "$vlm_pid" 10 >"$work/helper_peak" &
    sampler=$!
    echo 5 >"/proc/$vlm_pid/clear_refs" # the peak counts from here
    written=$(write_bytes "$vlm_pid")
    gdbus call --session -d example.velmora.Velmora -o /example/velmora/Velmora \
        -m example.velmora.Velmora.ChangeNow >/dev/null || return 1
    wait_for_index 0 || return 1
    sleep 1
    big_peak_kib=$(peak_rss_kib "$vlm_pid")
    big_written_bytes=$(($(write_bytes "$vlm_pid") - written))
    big_bitmap_bytes=$(stat -c %s "$bitmap")
    big_bitmap_size=$(identify -format '%wx%h' "$bitmap")
    stop "$sampler"
    read -r big_helper_peak_kib _ <"$work/helper_peak"
    stop "$vlm_pid"
    /usr/bin/time -f '%M' -o "$work/time" xwallpaper --zoom "$1" || return 1
    xwallpaper_peak_kib=$(cat "$work/time")
}

# Start-up to a viewable window with a remembered collection of `entries` entries, against the
# bare Qt window of the same size, in alternating runs; the median of each. The resident memory
# of the program is read 2 s after its window appeared. The same bare window showing one line
# of text is the floor for any window with words in it. Sets startup_ms, bare_ms, text_ms,
# shown_rss_kib and startup_samples.
measure_startup() { # runs entries
    local runs=$1 entries=$2 i result ours=() bare=() text=() rss=()
    make_collection "$entries"
    for ((i = 0; i < runs; i++)); do
        result=$("$window_timer" bare "$bare_window") || return 1
        stop "${result%% *}"
        bare+=("${result#* }")
        result=$("$window_timer" bare "$bare_window" --text) || return 1
        stop "${result%% *}"
        text+=("${result#* }")
        write_options "lastfile=$work/c.vlk" "index=0" "hide=0" "start=0" "cas=30" \
            "jednotky=minut"
        result=$("$window_timer" Velmora "$vlm") || return 1
        ours+=("${result#* }")
        sleep 2
        rss+=("$(rss_kib "${result%% *}")")
        stop "${result%% *}"
    done
    startup_ms=$(median "${ours[@]}")
    bare_ms=$(median "${bare[@]}")
    text_ms=$(median "${text[@]}")
    shown_rss_kib=$(median "${rss[@]}")
    startup_samples="${ours[*]} / ${bare[*]} / ${text[*]}"
}
