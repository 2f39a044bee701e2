#!/usr/bin/env bash
# Builds a collection through the picker panel of the real program and saves it: the saved
# file must hold the chosen pictures, in the file list's order, with CR LF after each.
set -euo pipefail
vlm=${1:?path of the vlm binary}
[ -n "${DISPLAY:-}" ] || exit 77
command -v xdotool >/dev/null || exit 77

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# A portable copy: the picker starts in the program's folder, which holds the pictures.
prog=$work/prog
mkdir -p "$prog" "$work/home" "$work/config/vlm"
cp "$vlm" "$prog/vlm"
cp "$here/../../data/noimage.jpg" "$prog/b.JPG"
cp "$here/../../data/noimage.jpg" "$prog/a.jpg"
echo "not a picture" > "$prog/notes.txt"
printf '[options]\nhide=0\nlastfile=\n' > "$work/config/vlm/vlm.ini"

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/home/.local/share
export QT_QPA_PLATFORMTHEME= VLM_WALLPAPER_BACKEND=none
unset WAYLAND_DISPLAY
"$prog/vlm" >"$work/vlm.log" 2>&1 &
pid=$!

fail() {
    echo "FAIL: $*" >&2
    cat "$work/vlm.log" >&2
    exit 1
}

# Waits for a visible window whose title matches, focuses it and prints its id.
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) || true
        if [ -n "$id" ]; then
            xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
            echo "$id"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || fail "the program ended"
        sleep 0.1
    done
    fail "no window titled $1"
}

# Clicks at a point given in twips of the main window (15 twips per pixel at 96 dpi).
click() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove --sync $((X + $1 / 15)) $((Y + $2 / 15)) click 1
    sleep 0.3
}

window '^Velmora' >/dev/null
xdotool key Return # the welcome message
sleep 0.5
main=$(window '^Velmora')

click 1500 910 # "vytvořit novou kolekci": the panel opens at left 3000
# File1 lies at 120, 5640 in the panel: choose its first file, then all of them.
click $((3000 + 600)) $((5640 + 120))
xdotool key ctrl+a
sleep 0.3
click $((3000 + 1000)) $((7320 + 140)) # "Přidat výběr do kolekce"
window 'Přidání souborů' >/dev/null
xdotool key Return
sleep 0.3
main=$(window '^Velmora')
click $((3000 + 4600)) $((7320 + 140)) # "Storno"
click 4300 910                         # "uložit kolekci"
window 'Uložit kolekci' >/dev/null
xdotool type --delay 50 "moje"
xdotool key Return
for _ in $(seq 50); do [ -s "$prog/moje.vlk" ] && break; sleep 0.1; done

[ -f "$prog/moje.vlk" ] || fail "no collection file was saved"
cmp -s <(printf '%s\r\n' "$prog/a.jpg" "$prog/b.JPG") "$prog/moje.vlk" ||
    fail "saved bytes differ: $(od -c "$prog/moje.vlk" | head -20)"
echo "saved $(wc -c <"$prog/moje.vlk") bytes as expected"
