#!/usr/bin/env bash
# Shows what the program puts on a real desktop with two monitors, the second one portrait:
#
#   scripts/desktop-check.sh sway|gnome [KEY=VALUE ...] [PROGRAM OPTION ...]
#
# KEY=VALUE pairs go into the program's options file before it starts ("fit=fill"); every
# other argument goes to the running program on its command line ("--monitors each").
# Installs the desktop (scripts/install-deps.sh --desktop), builds the Release program when
# build-release/src/vlm is missing, starts the desktop headless on a session bus of its own and
# the program on a collection of test pictures (two landscape ones first, then a portrait one,
# each in two colours), asks it for two changes (over the bus, then with --change-now) and
# reports for every step and monitor its size, its rotation, the colours at 4x4 points and the
# test picture they make up. It then checks the result: with "monitors each" a portrait
# picture on the portrait monitor, a landscape one on the other, both moving on at each change;
# with "fit span" one picture over both, otherwise one picture on both: in these two, a new
# picture at each step.
# Exit status 0 when every check holds, 1 when one fails, 2 when the desktop or the program
# could not be run.
#
# Screenshots, the program's and the desktop's logs go into $DESKTOP_CHECK_OUT (default: a new
# folder /tmp/vlm-desktop-check-DESKTOP-TIME). As root, the desktop and the program run as
# $DESKTOP_CHECK_USER (default nobody): sway refuses to run as root. VLM_WALLPAPER_BACKEND is
# passed on, so "VLM_WALLPAPER_BACKEND=swaybg scripts/desktop-check.sh sway" tries that backend;
# VLM_BUILD names another build tree.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

desktop=${1:-}
case "$desktop" in
sway | gnome) shift ;;
*)
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac

started=$SECONDS
"$repo/scripts/install-deps.sh" --desktop "$desktop"

build=${VLM_BUILD:-$repo/build-release}
if [ ! -x "$build/src/vlm" ] || [ ! -x "$build/src/vlm-decode" ]; then
    echo "Building the Release program in $build"
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLM_BUILD_TESTS=OFF \
        >/dev/null
    cmake --build "$build" -j"$(nproc)" --target vlm vlm-decode >/dev/null
fi

out=${DESKTOP_CHECK_OUT:-/tmp/vlm-desktop-check-$desktop-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
work=$(mktemp -d /tmp/vlm-desktop-work.XXXXXX)
session_pid=
cleanup() {
    # The session runs in a process group of its own: whatever the desktop left running ends.
    [ -n "$session_pid" ] && kill -- -"$session_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The session sees only what it is given here, never the caller's display or bus.
session_env=(PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin LANG=C.UTF-8
    "HOME=$work/home" "XDG_RUNTIME_DIR=$work/run" "DESKTOP_CHECK_WORK=$work"
    "DESKTOP_CHECK_SHOTS=$out" "VLM=$build/src/vlm")
[ -n "${VLM_WALLPAPER_BACKEND:-}" ] && session_env+=("VLM_WALLPAPER_BACKEND=$VLM_WALLPAPER_BACKEND")
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    user=${DESKTOP_CHECK_USER:-nobody}
    uid=$(id -u "$user") gid=$(id -g "$user")
    chown -R "$uid:$gid" "$work" "$out"
    chmod 755 "$work"
    run_as=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
fi

setsid "${run_as[@]}" env -i "${session_env[@]}" \
    bash "$repo/scripts/desktops/session.sh" "$desktop" "$@" &
session_pid=$!
status=0
wait "$session_pid" || status=$?
[ "$(id -u)" -eq 0 ] && chown -R "$(id -u):$(id -g)" "$out"
echo "Screenshots and logs: $out"
echo "The whole check took $((SECONDS - started)) s."
exit "$status"
