#!/usr/bin/env bash
# Builds a collection through the picker panel of the real program and saves it: the saved
# file must hold the chosen pictures, in the file list's order, with CR LF after each.
set -u
source "$(dirname "$0")/../support/e2elib.sh"

# A portable copy: the picker starts in the program's folder, which holds the pictures.
here=$(cd "$(dirname "$0")" && pwd)
prog=$home/prog
mkdir -p "$prog"
cp "$vlm_binary" "$prog/vlm"
cp "$here/../../data/noimage.jpg" "$prog/b.JPG"
cp "$here/../../data/noimage.jpg" "$prog/a.jpg"
echo "not a picture" > "$prog/notes.txt"
write_options "hide=0" "lastfile="

export QT_QPA_PLATFORMTHEME= VLM_WALLPAPER_BACKEND=none
unset WAYLAND_DISPLAY
vlm_binary=$prog/vlm
start_vlm

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
        kill -0 "$vlm_pid" 2>/dev/null || fail "the program ended"
        sleep 0.1
    done
    fail "no window titled $1"
}
# Waits until the window with this id no longer shows.
gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    fail "window $1 stayed open"
}

# Clicks at a point given in twips of the main window (15 twips per pixel at 96 dpi).
click() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove --sync $((X + $1 / 15)) $((Y + $2 / 15)) click 1
    sleep 0.3
}

welcome=$(window '^Velmora')
xdotool key Return
gone "$welcome"
main=$(window '^Velmora')

click 1500 910 # "vytvořit novou kolekci": the panel opens at left 3000
# File1 lies at 120, 5640 in the panel: choose its first file, then all of them.
click $((3000 + 600)) $((5640 + 120))
xdotool key ctrl+a
sleep 0.3
click $((3000 + 1000)) $((7320 + 140)) # "Přidat výběr do kolekce"
added=$(window 'Přidání souborů')
xdotool key Return
gone "$added"
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
