# Shared helpers for the end-to-end tests: a private HOME and the running program.
# Sourced by the tests; $1 of the test is the vlm binary.

vlm_binary=$1
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no X display"; exit 77; }
command -v xdotool >/dev/null || { echo "SKIP: xdotool missing"; exit 77; }

home=$(mktemp -d)
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_RUNTIME_DIR=$home/run ASAN_OPTIONS=detect_leaks=0
mkdir -p "$XDG_CONFIG_HOME/vlm" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
vlm_pid=
# A key whose release went to a window that had just closed stays pressed in the server and
# would answer the next test's first message: release every key the tests type.
release_keys() { xdotool keyup Return Escape u 2>/dev/null; }
release_keys
cleanup() {
    release_keys
    kill $(jobs -p) 2>/dev/null # the program and whatever else the test started
    wait 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$home/vlm.log" ] && { echo "--- the program's output:" >&2; tail -n 40 "$home/vlm.log" >&2; }
    exit 1
}

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
