# shellcheck shell=bash
# Shared by the end-to-end tests ($1: the vlm binary): an X server, a session bus and a HOME of
# their own, the running program and its exit status. Waits poll for the event; their deadline
# only catches a hang.
need() { for tool; do command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }; done; }

# The test runs again under a new X server (on a display number it picks itself once ready)
# and a private bus, in a session of its own so that whatever it leaves running ends too.
if [ -z "${VLM_E2E_ISOLATED:-}" ]; then
    need Xvfb dbus-run-session setsid
    server_log=$(mktemp)
    exec {display_fd}<> <(:)
    Xvfb -displayfd "$display_fd" -screen 0 1920x1080x24 -dpi 96 -nolisten tcp -noreset \
        >"$server_log" 2>&1 &
    server=$!
    trap 'kill "$server" 2>/dev/null && wait "$server" 2>/dev/null; rm -f "$server_log"' EXIT
    read -r -t 30 -u "$display_fd" number ||
        { echo "FAIL: Xvfb gave no display number within 30 s: $(cat "$server_log")" >&2; exit 1; }
    export DISPLAY=:$number VLM_E2E_ISOLATED=1
    unset DBUS_SESSION_BUS_ADDRESS
    setsid dbus-run-session -- bash "$0" "$@" &
    test_pid=$!
    wait "$test_pid"
    status=$?
    kill -- -"$test_pid" 2>/dev/null
    exit "$status"
fi
vlm_binary=$1
need xdotool

home=$(mktemp -d)
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export XDG_RUNTIME_DIR=$home/run ASAN_OPTIONS=detect_leaks=0
mkdir -p "$XDG_CONFIG_HOME/vlm" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
options=$XDG_CONFIG_HOME/vlm/vlm.ini
vlm_pid=

# Runs the command until it succeeds, for at most $deadline seconds (default 30).
wait_for() {
    local end=$((SECONDS + ${deadline:-30}))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# The program's output, from the first report of a sanitizer if there is one, else its end.
sanitizer='ERROR: (Address|Leak)Sanitizer|runtime error:'
show_output() {
    local line
    line=$(grep -n -m1 -E "$sanitizer" "$home/vlm.log" 2>/dev/null | cut -d: -f1)
    [ -s "$home/vlm.log" ] || return 0
    echo "--- the program's output:"
    if [ -n "$line" ]; then tail -n +"$line" "$home/vlm.log" | head -n 60; else tail -n 40 "$home/vlm.log"; fi
}
fail() { echo "FAIL: $*" >&2; show_output >&2; exit 1; }

running() { kill -0 "$vlm_pid" 2>/dev/null; }
# Waits for the program to end (sent SIGTERM first with "term"); 1 with a message unless it
# ended with status 0 and no sanitizer report.
wait_end() {
    [ -n "$vlm_pid" ] || return 0
    [ "${1:-}" = term ] && kill -TERM "$vlm_pid" 2>/dev/null
    wait_for eval '! running' || { echo "FAIL: the program did not end" >&2 && kill -KILL "$vlm_pid"; }
    wait "$vlm_pid"
    local status=$?
    vlm_pid=
    [ "$status" = 0 ] && ! grep -q -E "$sanitizer" "$home/vlm.log" 2>/dev/null && return 0
    { echo "FAIL: the program ended with status $status" && show_output; } >&2
    return 1
}

# At the end of a test that passed, a program still running must end cleanly too.
finish() {
    local status=$1
    if [ "$status" = 0 ]; then wait_end term || status=1; fi
    kill $(jobs -p) 2>/dev/null # whatever else the test started
    wait 2>/dev/null
    chmod -R u+w "$home" 2>/dev/null
    rm -rf "$home"
    exit "$status"
}
trap 'finish $?' EXIT

write_options() { { echo "[options]"; printf '%s\n' "$@"; } > "$options"; }
option() { sed -n "s/^$1=//p" "$options"; }

start_vlm() { "$vlm_binary" "$@" > "$home/vlm.log" 2>&1 & vlm_pid=$!; }

# Ids of the visible windows with exactly this title; wait_window prints the newest one's.
windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
wait_window() { wait_for windows "$1" >/dev/null && windows "$1" | tail -n 1; }
# Focuses the window and presses the key until the window closes: without a window manager
# focus is not guaranteed. An empty id (no window came) fails.
press_until_closed() {
    local id=$1 key=${2:-Return} end=$((SECONDS + 30))
    [ -n "$id" ] || fail "no window to close"
    while xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$id"; do
        [ "$SECONDS" -lt "$end" ] || fail "window $id did not close"
        xdotool windowfocus "$id" 2>/dev/null
        xdotool key "$key"
        sleep 0.3
    done
}

# Solid pictures "name:rrggbb" in $home/pictures, listed in turn by the collection $home/c.vlk.
make_collection() {
    need convert
    mkdir -p "$home/pictures"
    local spec
    for spec; do
        convert -size 64x48 "xc:#${spec#*:}" "$home/pictures/${spec%%:*}"
        printf '%s\r\n' "$home/pictures/${spec%%:*}"
    done > "$home/c.vlk"
}
# The root window's colour near its top left corner (the window sits in the middle), "r,g,b".
root_colour() {
    convert x:root -crop 1x1+20+20 -format '%[fx:int(255*r+.5)],%[fx:int(255*g+.5)],%[fx:int(255*b+.5)]' info: 2>/dev/null
}
# True when the root shows this colour, within 8 in every channel (JPEG rounding).
root_is() {
    awk -F, -v a="$(root_colour)" -v b="$1" 'BEGIN { if (split(a, x, ",") != 3) exit 1;
        split(b, y, ","); for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < -8 || d > 8) exit 1 } }'
}
