#!/usr/bin/env bash
# isolated.sh COMMAND [ARGUMENT...]: runs one end-to-end test under a new X server (on a display
# number it picks itself, proven ready first) and a private session bus. Whatever the test
# leaves running ends with it.
set -u
for tool in Xvfb xdpyinfo dbus-run-session setsid; do
    command -v $tool >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done

server_log=$(mktemp)
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1920x1080x24 -dpi 96 -nolisten tcp -noreset \
    >"$server_log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null && wait "$server" 2>/dev/null; rm -f "$server_log"' EXIT
if ! read -r -t 30 -u "$display_fd" number; then
    echo "FAIL: Xvfb gave no display number within 30 s: $(cat "$server_log")" >&2
    exit 1
fi
export DISPLAY=:$number
xdpyinfo >/dev/null 2>&1 || { echo "FAIL: display $DISPLAY does not answer" >&2; exit 1; }
unset DBUS_SESSION_BUS_ADDRESS
export VLM_E2E_ISOLATED=1

# In a session of its own, so that everything the test started can be ended by its group.
setsid dbus-run-session -- "$@" &
test_pid=$!
wait "$test_pid"
status=$?
kill -- -"$test_pid" 2>/dev/null
exit "$status"
