# Shared helpers for the end-to-end tests: a display and a session bus of the test's own, a
# private HOME, the running program and its exit status. Sourced by the tests; $1 of the test is
# the vlm binary.

# Every test runs under its own X server and bus (tests/support/isolated.sh).
if [ -z "${VLM_E2E_ISOLATED:-}" ]; then
    exec bash "$(dirname "${BASH_SOURCE[0]}")/isolated.sh" bash "$0" "$@"
fi
vlm_binary=$1
command -v xdotool >/dev/null || { echo "SKIP: xdotool missing"; exit 77; }

home=$(mktemp -d)
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_RUNTIME_DIR=$home/run ASAN_OPTIONS=detect_leaks=0
mkdir -p "$XDG_CONFIG_HOME/vlm" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
vlm_pid=
# A key whose release went to a window that had just closed stays pressed in the server and
# would answer the next message: release every key the tests type.
release_keys() { xdotool keyup Return Escape u 2>/dev/null; }

# The first report of AddressSanitizer or UndefinedBehaviorSanitizer in the program's output.
sanitizer_report() {
    grep -n -m1 -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$home/vlm.log" 2>/dev/null |
        cut -d: -f1 | while read -r line; do tail -n +"$line" "$home/vlm.log" | head -n 60; done
}

fail() {
    echo "FAIL: $*" >&2
    local report
    report=$(sanitizer_report)
    if [ -n "$report" ]; then
        echo "--- a sanitizer stopped the program:" >&2
        echo "$report" >&2
    elif [ -s "$home/vlm.log" ]; then
        echo "--- the program's output:" >&2
        tail -n 40 "$home/vlm.log" >&2
    fi
    exit 1
}

# Ends the program as the end of a session does (SIGTERM) and checks that it ended cleanly:
# exit status 0, no sanitizer report. Returns 1 with a message otherwise.
stop_vlm() {
    [ -n "$vlm_pid" ] || return 0
    local pid=$vlm_pid status
    vlm_pid=
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        echo "FAIL: the program did not end within 20 s of SIGTERM" >&2
        return 1
    fi
    wait "$pid"
    status=$?
    local report
    report=$(sanitizer_report)
    if [ "$status" != 0 ] || [ -n "$report" ]; then
        echo "FAIL: the program ended with status $status" >&2
        if [ -n "$report" ]; then echo "$report" >&2; else tail -n 20 "$home/vlm.log" >&2; fi
        return 1
    fi
}

# At the end of a test that passed, a program still running must end cleanly too.
finish() {
    local status=$1
    if [ "$status" = 0 ] && [ -n "$vlm_pid" ]; then
        stop_vlm || status=1
    fi
    release_keys
    kill $(jobs -p) 2>/dev/null # whatever else the test started
    wait 2>/dev/null
    rm -rf "$home"
    exit "$status"
}
trap 'finish $?' EXIT

# Writes the options file from key=value arguments.
write_options() {
    { echo "[options]"; printf '%s\n' "$@"; } > "$XDG_CONFIG_HOME/vlm/vlm.ini"
}

start_vlm() {
    "$vlm_binary" "$@" > "$home/vlm.log" 2>&1 &
    vlm_pid=$!
}

# Waits until a window with exactly this title shows; prints its id (the newest one).
wait_window() {
    local title=$1 ids
    for _ in $(seq 100); do
        ids=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null)
        [ -n "$ids" ] && { echo "$ids" | tail -n 1; return 0; }
        sleep 0.1
    done
    return 1
}
