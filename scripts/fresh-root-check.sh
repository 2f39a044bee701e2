#!/usr/bin/env bash
# Proves the README's set-up from scratch: makes a minimal Debian 12 root (minbase with git,
# sudo and ca-certificates), clones the committed tree into it and runs, as root inside a
# chroot, the README's three steps: build and start the program, build and pass the tests,
# build, install and package it. A developer's machine, full of packages from earlier work,
# cannot prove that these commands install everything they need; an empty root can.
#
# Needs root and a network path to Debian's archive; takes a while (mostly compiling).
#   VLM_FRESH_DIR=DIR        where to make the root (default: a new folder under /var/tmp)
#   VLM_FRESH_KEEP=1         keep the root afterwards (it is removed on success otherwise)
#   VLM_FRESH_APT_CACHE=DIR  keep downloaded .deb files in DIR across runs (same packages,
#                            less traffic; the root itself is new every time)
#   VLM_FRESH_CI=1           run the test command as CI does (CI=true: fuzzing too)
set -euo pipefail

if [ "${1:-}" = --inside ]; then
    inside=1
    shift
else
    inside=0
fi
repo=$(cd "$(dirname "$0")/.." && pwd)

say() { printf '\n== %s (%s)\n' "$*" "$(date +%T)"; }
die() {
    echo "FRESH ROOT CHECK FAILED: $*" >&2
    exit 1
}

# The README's commands, exactly as it prints them; the check fails when they drift apart.
run_command='./scripts/run.sh'
test_command='./scripts/test.sh'
install_commands=(
    'cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build'
    'sudo cmake --install build'
    '(cd build && cpack -G DEB) && sudo apt install ./build/velmora_*.deb'
)

if [ "$inside" = 0 ]; then
    [ "$(id -u)" = 0 ] || die "run as root (it makes a chroot)"
    for line in "$run_command" "$test_command" "${install_commands[@]}"; do
        grep -qF -- "$line" "$repo/README.md" || die "the README no longer says: $line"
    done
    [ -z "$(git -C "$repo" status --porcelain --untracked-files=no)" ] ||
        echo "note: uncommitted changes are not part of the check; it clones what is committed"

    # Tools on this machine: the root builder, and an X server with xdotool to see the window
    # that the README's first command starts.
    need=()
    for tool in mmdebstrap:mmdebstrap Xvfb:xvfb xdotool:xdotool unshare:util-linux; do
        command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
    done
    if [ ${#need[@]} -gt 0 ]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${need[@]}" >/dev/null
    fi

    work=${VLM_FRESH_DIR:-$(mktemp -d /var/tmp/vlm-fresh.XXXXXX)}
    root=$work/root
    [ ! -e "$root" ] || die "$root exists already"
    mkdir -p "$work"
    say "making a minimal Debian 12 root in $root"
    sources=()
    [ -f /etc/apt/sources.list.d/debian.sources ] && sources=(/etc/apt/sources.list.d/debian.sources)
    mmdebstrap --variant=minbase --include=git,sudo,ca-certificates \
        --aptopt='Acquire::Check-Valid-Until "false"' bookworm "$root" "${sources[@]}" \
        >"$work/mmdebstrap.log" 2>&1 || {
        tail -n 30 "$work/mmdebstrap.log"
        die "mmdebstrap failed"
    }
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    git clone -q --no-hardlinks "$repo" "$root/root/velmora"
    # As in CI, the shared sample pictures lie beside the clone, where this checkout has them.
    if [ -d "$repo/../shared/testdata" ]; then
        mkdir -p "$root/root/shared"
        cp -r "$repo/../shared/testdata" "$root/root/shared/"
    fi

    start=$(date +%s)
    status=0
    unshare --mount --propagation private -- bash "$repo/scripts/fresh-root-check.sh" --inside \
        "$root" || status=$?
    echo "fresh root check took $(($(date +%s) - start)) s"
    if [ "$status" = 0 ] && [ "${VLM_FRESH_KEEP:-0}" != 1 ]; then
        rm -rf "$work"
    else
        echo "the root stays in $root"
    fi
    [ "$status" = 0 ] || die "see above"
    echo "FRESH ROOT CHECK PASSED: the README's commands work on a minimal Debian 12"
    exit 0
fi

# Inside a private mount namespace: the root becomes a mount point of its own, as on a real
# machine, with /proc, /dev and /sys.
root=$1
logs=$(dirname "$root") # beside the root, kept with it
mount --bind "$root" "$root"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount --rbind /sys "$root/sys"
mount --make-rslave "$root/sys"
mount -t tmpfs tmpfs "$root/tmp"
if [ -n "${VLM_FRESH_APT_CACHE:-}" ]; then
    mkdir -p "$VLM_FRESH_APT_CACHE"
    mount --bind "$VLM_FRESH_APT_CACHE" "$root/var/cache/apt/archives"
fi

# A clean login environment in the root; DISPLAY only where a step needs one.
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        "$@"
}

# An X server on this side whose socket the root shares, for the program's window.
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
read -r -t 30 -u "$display_fd" display_number || die "Xvfb did not start"
display=:$display_number

# 1. Build and start the program: it is up when its first window (the welcome message of a
# first start) shows on the display.
say "README step 1: $run_command"
in_root DISPLAY="$display" bash -c "cd /root/velmora && exec $run_command" \
    >"$logs/run.log" 2>&1 &
run_pid=$!
shown=0
for _ in $(seq 3600); do
    if DISPLAY=$display xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; then
        shown=1
        break
    fi
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.5
done
if [ "$shown" = 0 ]; then
    tail -n 40 "$logs/run.log"
    die "step 1 did not start the program"
fi
kill "$run_pid"
wait "$run_pid" 2>/dev/null || true
echo "the program's window showed"

# 2. Build and run every test.
say "README step 2: $test_command"
ci=()
[ "${VLM_FRESH_CI:-0}" = 1 ] && ci=(CI=true)
echo "(the whole output goes to $logs/test.log)"
in_root "${ci[@]}" bash -c "cd /root/velmora && $test_command" >"$logs/test.log" 2>&1 || {
    tail -n 80 "$logs/test.log"
    die "step 2 failed"
}
grep -E '^(Installing|[0-9]+% tests passed|fuzzing: )' "$logs/test.log" || true
sed -n '/The following tests did not run/,/^$/p' "$logs/test.log"

# 3. The installing commands, one after another as a user types them.
say "README step 3: installing"
for line in "${install_commands[@]}"; do
    echo "\$ $line"
    # apt asks before it installs what the package depends on: the user says yes.
    in_root bash -c "cd /root/velmora && $line" <<<"y" >"$logs/install.log" 2>&1 || {
        tail -n 40 "$logs/install.log"
        die "step 3 failed: $line"
    }
done
in_root dpkg-query -W -f='${Status}\n' velmora | grep -q 'install ok installed' ||
    die "the velmora package is not installed"
in_root test -x /usr/local/bin/vlm || die "cmake --install left no /usr/local/bin/vlm"

# The packaged program starts on the display from its installed place.
in_root mkdir -p /tmp/user
in_root DISPLAY="$display" HOME=/tmp/user /usr/bin/vlm >"$logs/installed.log" 2>&1 &
installed_pid=$!
shown=0
for _ in $(seq 60); do
    DISPLAY=$display xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1 && {
        shown=1
        break
    }
    sleep 0.5
done
kill "$installed_pid" 2>/dev/null || true
wait "$installed_pid" 2>/dev/null || true
[ "$shown" = 1 ] || {
    cat "$logs/installed.log"
    die "the installed /usr/bin/vlm showed no window"
}
echo "installed from the package: /usr/bin/vlm started"
