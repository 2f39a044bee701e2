# shellcheck shell=bash
# The program under the desktop check: its options file, starting it, reaching it on the
# session bus and on its command line, and ending it as a session's end does.
vlm_pid=

write_options() { { echo "[options]"; printf '%s\n' "$@"; } >"$XDG_CONFIG_HOME/vlm/vlm.ini"; }

# Runs the command until it succeeds, for at most $1 seconds.
wait_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

velmora() {
    gdbus call --session -d example.velmora.Velmora -o /example/velmora/Velmora -m "$@"
}
answering() { velmora org.freedesktop.DBus.Properties.Get example.velmora.Velmora Count >/dev/null 2>&1; }

start_program() {
    "$VLM" >"$shots/vlm.log" 2>&1 &
    vlm_pid=$!
    if ! wait_for 30 answering; then
        echo "The program did not answer on the session bus within 30 s; its output:" >&2
        tail -n 20 "$shots/vlm.log" >&2
        return 1
    fi
}

# The script's program options, given to the running copy as a user would.
pass_arguments() {
    local said
    if ! said=$(timeout 30 "$VLM" "$@" 2>&1); then
        echo "The program refused the command line \"$*\": $said" >&2
        return 1
    fi
}

# Asks for a change: "bus" calls ChangeNow, "command-line" runs vlm --change-now.
ask_change() {
    case "$1" in
    bus) velmora example.velmora.Velmora.ChangeNow >/dev/null ;;
    command-line) timeout 30 "$VLM" --change-now ;;
    esac
}

# Ends the program with SIGTERM; 1 unless it ends within 10 s with status 0.
stop_program() {
    [ -n "$vlm_pid" ] || return 0
    local pid=$vlm_pid status=0
    vlm_pid=
    kill -TERM "$pid" 2>/dev/null
    if ! wait_for 10 eval "! kill -0 $pid 2>/dev/null"; then
        echo "The program did not end within 10 s of SIGTERM." >&2
        kill -KILL "$pid"
    fi
    wait "$pid" || status=$?
    [ "$status" = 0 ] && return 0
    echo "The program ended with status $status; its output: $shots/vlm.log" >&2
    return 1
}
