#!/usr/bin/env bash
# The uninstall command line while a copy runs: the copy ends without saving, and nothing it
# wrote comes back, also after its next change would have been due; the desktop's wallpaper
# setting that named the bitmap goes back to the default.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
export VLM_WALLPAPER_BACKEND=x11
cp "$vlm_binary" "$(dirname "$vlm_binary")"/vlm-decode{,-common} "$home/" # a portable copy: the bitmap lies beside it
make_collection r.bmp:ff0000 g.bmp:00ff00
write_options "hide=1" "start=1" "lastfile=$home/c.vlk" "index=0" "cas=2" "jednotky=sekund"
entry=$XDG_CONFIG_HOME/autostart/Velmora.desktop
# A GNOME whose wallpaper names one of the bitmaps, seen through a stand-in for gsettings.
mkdir -p "$home/bin"
cat > "$home/bin/gsettings" <<'SCRIPT'
#!/bin/sh
echo "$*" >> "$HOME/gsettings.log"
[ "$1 $2 $3" = "get org.gnome.desktop.background picture-uri" ] || exit 1
echo "'file://$HOME/.local/share/vlm/wallpaper/vlmimage-1.bmp'"
SCRIPT
chmod +x "$home/bin/gsettings"

"$home/vlm" > "$home/vlm.log" 2>&1 &
vlm_pid=$!
wait_for test -e "$home/vlmimage.bmp" || fail "the running copy wrote no bitmap"
wait_for test -e "$entry" || fail "the running copy wrote no autostart entry"

PATH=$home/bin:$PATH "$home/vlm" "/uninstall /all /regexp" > "$home/uninstall.log" 2>&1 &
uninstaller=$!
message=$(wait_window "Velmora CommandLine") || fail "no uninstall message: $(cat "$home/uninstall.log")"
wait_end || fail "the running copy did not end cleanly"
press_until_closed "$message" Return
wait "$uninstaller" || fail "the uninstall ended with $?: $(cat "$home/uninstall.log")"

sleep 3 # past the running copy's next change
for left in "$options" "$home/vlmimage.bmp" "$entry" "$XDG_CONFIG_HOME/vlm" "$XDG_DATA_HOME/vlm"; do
    [ -e "$left" ] && fail "$left is still there"
done
grep -qx "reset org.gnome.desktop.background picture-uri" "$home/gsettings.log" ||
    fail "the GNOME wallpaper was not reset: $(cat "$home/gsettings.log")"
grep -q "reset org.gnome.desktop.background picture-uri-dark" "$home/gsettings.log" &&
    fail "a key that named another picture was reset"
exit 0
