# shellcheck shell=bash
# GNOME Shell for the desktop check, headless on Wayland with two virtual monitors, 1920x1080
# and 1080x1920 side by side. GNOME lets only a few programs take screenshots; gnome-screenshot
# is one, and it captures the whole layout, which is then cut per monitor. The AppIndicator
# extension gives the program a tray, so its window hides at start as on a desktop with one.
# The shell asks the system bus for logind: a private bus stands in (no logind answers on it).
settle_pause=0.8 # gnome-screenshot flashes the screen after each capture
shell_pid=
system_bus_pid=

shell_started() { grep -q 'GNOME Shell started' "$shots/gnome.log"; }
overview_hidden() {
    gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
        -m org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<false>' >/dev/null &&
        [ "$(gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
            -m org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive)" = "(<false>,)" ]
}

desktop_start() {
    dbus-daemon --session --address="unix:path=$XDG_RUNTIME_DIR/system-bus" --nofork \
        >"$shots/system-bus.log" 2>&1 &
    system_bus_pid=$!
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/system-bus
    # A quiet, still desktop: no banners over the wallpaper, no cross-fades between pictures.
    gsettings set org.gnome.desktop.notifications show-banners false
    gsettings set org.gnome.desktop.interface enable-animations false
    gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
    gnome-shell --wayland --headless --no-x11 --virtual-monitor 1920x1080 \
        --virtual-monitor 1080x1920 >"$shots/gnome.log" 2>&1 &
    shell_pid=$!
    wait_for 60 shell_started || return 1
    export WAYLAND_DISPLAY
    WAYLAND_DISPLAY=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n' -quit)
    # The shell opens the overview at start; the desktop itself is what the check looks at.
    wait_for 20 overview_hidden || return 1
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
    if ! gnome-screenshot -f "$work/whole.png" 2>"$work/screenshot.log"; then
        echo "GNOME refused a screenshot: $(cat "$work/screenshot.log")" >&2
        desktop_describe >&2
        return 1
    fi
}

desktop_stop() {
    local pid
    for pid in "$shell_pid" "$system_bus_pid"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    shell_pid=""
    system_bus_pid=""
}

desktop_version() { echo "$(gnome-shell --version), headless Wayland"; }

# NAME X Y WIDTH HEIGHT ROTATION of every logical monitor, read from mutter's display state:
# each monitor's current mode, each logical monitor's place, scale and transform.
gnome_monitors() {
    gdbus call --session -d org.gnome.Mutter.DisplayConfig -o /org/gnome/Mutter/DisplayConfig \
        -m org.gnome.Mutter.DisplayConfig.GetCurrentState | perl -ne '
        my %mode;
        for my $monitor (split /\(\(\x27/) {
            next unless $monitor =~ /^([^\x27]+)\x27/;
            my $name = $1;
            $mode{$name} = [$1, $2] if $monitor =~ /\(\x27(\d+)x(\d+)@[^)]*\x27is-current\x27: <true>/;
        }
        my @turn = qw(normal 90 180 270 flipped flipped-90 flipped-180 flipped-270);
        while (/\((-?\d+), (-?\d+), ([\d.]+), (?:uint32 )?(\d+), (?:true|false), \[\(\x27([^\x27]+)\x27/g) {
            my ($x, $y, $scale, $transform, $name) = ($1, $2, $3, $4, $5);
            next unless $mode{$name};
            my ($w, $h) = map { int($_ / $scale + 0.5) } @{$mode{$name}};
            ($w, $h) = ($h, $w) if $transform % 2;
            print "$name $x $y $w $h $turn[$transform]\n";
        }'
}

desktop_outputs() { gnome_monitors | awk '{ print $1, $4, $5, $6 }'; }

desktop_capture() {
    local name x y width height
    gnome-screenshot -f "$1-whole.png"
    gnome_monitors | while read -r name x y width height _; do
        convert "$1-whole.png" -crop "${width}x$height+$x+$y" +repage "$1-$name.png"
    done
}

# What GNOME was told: the background keys and the size of the bitmap they name.
desktop_describe() {
    local key value path
    for key in picture-uri picture-uri-dark picture-options; do
        value=$(gsettings get org.gnome.desktop.background "$key")
        path=$(printf '%b' "$(sed -n "s|^'file://\(.*\)'$|\1|p" <<<"$value" | sed 's/%/\\x/g')")
        if [ -f "$path" ]; then
            value="$value ($(identify -format '%wx%h' "$path" 2>/dev/null))"
        fi
        echo "$key: ${value//$work\//}"
    done
}
