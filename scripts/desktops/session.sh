#!/usr/bin/env bash
# The desktop check's session, started by scripts/desktop-check.sh with a clean environment:
# starts a session bus, the desktop ($1, from scripts/desktops/$1.sh) and the program, makes
# the changes, captures every output after each and reports.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
desktop=$1
shift
work=$DESKTOP_CHECK_WORK
shots=$DESKTOP_CHECK_SHOTS
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$XDG_CONFIG_HOME/vlm" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"

source "$here/pictures.sh"
source "$here/program.sh"
source "$here/steps.sh"
source "$here/$desktop.sh"

# KEY=VALUE into the options file, the rest to the running program. What the checks expect
# follows from either: a picture per monitor ("each"), one over all ("span"), else the same.
options=() arguments=() expect=same
for argument; do
    if [[ $argument != -* && $argument == *=* ]]; then options+=("$argument"); else arguments+=("$argument"); fi
done
asked() { [[ " ${options[*]} ${arguments[*]} " =~ [[:space:]](--)?$1[=[:space:]]$2[[:space:]] ]]; }
if asked fit span; then expect=span; elif asked monitors each; then expect=each; fi

make_pictures "$work/pictures" "$work/c.vlk"
write_options "hide=1" "start=0" "lastfile=$work/c.vlk" "index=0" "cas=1" "jednotky=hodin" \
    "${options[@]}"

# The bus's services (the desktop's helpers) write to its log, not into the report.
dbus-daemon --session --nofork --print-address=3 3>"$work/bus-address" >"$shots/session-bus.log" 2>&1 &
bus_pid=$!
trap 'stop_program || true; desktop_stop; kill "$bus_pid" 2>/dev/null || true' EXIT
wait_for 10 test -s "$work/bus-address" || { echo "No session bus" >&2; exit 2; }
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus-address")
export DBUS_SESSION_BUS_ADDRESS

began=$SECONDS
desktop_start || { echo "The desktop did not start; its log: $shots/$desktop.log" >&2; exit 2; }
echo "Desktop: $(desktop_version), up in $((SECONDS - began)) s; outputs:"
desktop_outputs | while read -r name width height rotation; do
    echo "  $name ${width}x$height rotation $rotation"
done
echo "Program: $VLM (wallpaper backend ${VLM_WALLPAPER_BACKEND:-chosen by the session})," \
    "options: ${options[*]:-none}, command line: ${arguments[*]:-none}"

bare=$(signature "$(capture_step bare)")
began=$SECONDS
start_program || exit 2
if [ ${#arguments[@]} -gt 0 ]; then
    pass_arguments "${arguments[@]}" || exit 2
fi
echo "Program answering on the bus after $((SECONDS - began)) s."

step start "" "$bare"
step change-1 bus "$(signature "$shots/start")"
step change-2 command-line "$(signature "$shots/change-1")"
stop_program || exit 2
run_checks "$expect" start change-1 change-2
