# shellcheck shell=bash
# sway for the desktop check, headless with software rendering: two outputs of 1920x1080 side by
# side, the second turned a quarter (1080x1920), every window sent to the scratchpad so that the
# program's window (sway has no tray) never covers the wallpaper. Captured with grim.
settle_pause=0.3
sway_pid=

sway_ready() {
    local socket
    socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'sway-ipc.*.sock' -print -quit)
    [ -n "$socket" ] || return 1
    export SWAYSOCK=$socket
    [ "$(swaymsg -t get_outputs -r 2>/dev/null | jq 'map(select(.active)) | length')" = 2 ] ||
        return 1
    socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n' -quit)
    [ -n "$socket" ] && export WAYLAND_DISPLAY=$socket
}

desktop_start() {
    cat >"$work/sway.config" <<'EOF'
xwayland disable
output HEADLESS-1 mode 1920x1080 position 0 0
output HEADLESS-2 mode 1920x1080 position 1920 0 transform 90
for_window [title=".*"] move scratchpad
EOF
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=2 WLR_RENDERER=pixman \
        sway -c "$work/sway.config" >"$shots/sway.log" 2>&1 &
    sway_pid=$!
    wait_for 30 sway_ready || return 1
    export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
}

desktop_stop() {
    [ -n "$sway_pid" ] || return 0
    # sway ends before it answers, so swaymsg's status says nothing.
    swaymsg exit >/dev/null 2>&1 || true
    wait_for 10 eval "! kill -0 $sway_pid 2>/dev/null" || kill "$sway_pid" 2>/dev/null || true
    wait "$sway_pid" 2>/dev/null || true
    sway_pid=
}

desktop_version() { echo "$(sway --version), headless, software rendering"; }

# NAME WIDTH HEIGHT ROTATION of every active output, its size as laid out (turned).
desktop_outputs() {
    swaymsg -t get_outputs -r |
        jq -r '.[] | select(.active) | "\(.name) \(.rect.width) \(.rect.height) \(.transform)"'
}

desktop_capture() {
    local name rest
    desktop_outputs | while read -r name rest; do
        grim -o "$name" "$1-$name.png"
    done
}

# What draws the wallpaper: the swaybg processes and their arguments.
desktop_describe() {
    local process
    for process in /proc/[0-9]*; do
        [ "$(cat "$process/comm" 2>/dev/null)" = swaybg ] || continue
        echo "swaybg $(tr '\0' ' ' <"$process/cmdline" | cut -d' ' -f2- | sed "s|$work/||g")"
    done
}
