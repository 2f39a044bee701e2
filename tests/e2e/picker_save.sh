#!/usr/bin/env bash
# A first start shows the welcome message alone, then the window; a collection built in the
# picker panel and saved holds the chosen pictures in the file list's order, CR LF after each.
set -u
source "$(dirname "$0")/../support/e2elib.sh"

# A portable copy: the picker starts in the program's folder, which holds the pictures.
prog=$home/prog
mkdir -p "$prog"
cp "$vlm_binary" "$prog/vlm"
for name in b.JPG a.jpg; do cp "$(dirname "$0")/../../data/noimage.jpg" "$prog/$name"; done
echo "not a picture" > "$prog/notes.txt"
write_options "hide=0" "lastfile="
export QT_QPA_PLATFORMTHEME= VLM_WALLPAPER_BACKEND=none
vlm_binary=$prog/vlm start_vlm

# Waits for the window with this title and focuses it; prints its id.
window() {
    local id
    id=$(wait_window "$1") || fail "no window titled $1"
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    echo "$id"
}
# Clicks at a point given in twips of the main window (15 twips per pixel at 96 dpi).
click() {
    eval "$(xdotool getwindowgeometry --shell "$(window Velmora)")"
    xdotool mousemove --sync $((X + $1 / 15)) $((Y + $2 / 15)) click 1
    sleep 0.3 # the click's effects before the next input
}

message=$(window Velmora)
[ "$(windows Velmora)" = "$message" ] || fail "the window showed before the welcome message was closed"
press_until_closed "$message"
click 1500 910 # "vytvořit novou kolekci": the panel opens at left 3000
# File1 lies at 120, 5640 in the panel: choose its first file, then all of them.
click $((3000 + 600)) $((5640 + 120))
xdotool key ctrl+a
click $((3000 + 1000)) $((7320 + 140)) # "Přidat výběr do kolekce"
press_until_closed "$(window 'Přidání souborů')"
click $((3000 + 4600)) $((7320 + 140)) # "Storno"
click 4300 910                         # "uložit kolekci"
window 'Uložit kolekci' >/dev/null
xdotool type --delay 50 "moje"
xdotool key Return
saved() { cmp -s <(printf '%s\r\n' "$prog/a.jpg" "$prog/b.JPG") "$prog/moje.vlk"; }
wait_for saved || fail "saved: $(od -c "$prog/moje.vlk" 2>&1 | head -20)"
