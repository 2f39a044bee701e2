#!/usr/bin/env bash
# The command line without a display (an uninstaller, ssh): the uninstall switch removes the
# options and their folder, the bitmap and the autostart entry and prints its message; --version prints; an
# unknown option prints the usage and ends with 2; the switch behind Qt options starts normally.
set -u
source "$(dirname "$0")/../support/e2elib.sh"

# A portable copy, so the bitmap beside it belongs to this test alone.
cp "$vlm_binary" "$home/vlm"
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$home/vlm" "$@"; }
entry=$XDG_CONFIG_HOME/autostart/Velmora.desktop

write_options "hide=1" "lastfile=$home/c.vlk" "cas=5"
printf 'BM' > "$home/vlmimage.bmp"
mkdir -p "$(dirname "$entry")"
printf '[Desktop Entry]\nType=Application\nName=Velmora\nExec=%s\n' "$home/vlm" > "$entry"
out=$(headless /uninstall /all /regexp 2>"$home/vlm.log") || fail "the uninstall ended with $?"
[ -e "$home/vlmimage.bmp" ] && fail "the bitmap is still there"
grep -qs '=' "$options" && fail "options remain: $(cat "$options")"
[ -e "$entry" ] && fail "the autostart entry is still there: $(cat "$entry")"
[ -d "$XDG_CONFIG_HOME/vlm" ] && fail "the emptied options folder is still there"
[ -d "$(dirname "$entry")" ] || fail "the autostart folder itself was removed"
# The message box's title, then its text a line for each of its lines.
[ "$(echo "$out" | sed -n '1p;$p;$=')" = $'Velmora CommandLine:\nPOKRAČUJTE STISKNUTÍM OK\n8' ] ||
    fail "the uninstall printed: $out"

out=$(headless --version) && [[ $out =~ ^Velmora\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
    fail "--version printed: $out"
# Even with a display an unknown option starts no window.
out=$(timeout 30 "$home/vlm" --colour 2>&1)
status=$?
[ "$status" = 2 ] && [[ $out == *--colour* && $out == *--change-now* ]] ||
    fail "an unknown option ended with $status and printed: $out"
# Qt's options before the switch make the command line another one: a normal start, which
# leaves the options where they are.
mkdir -p "$(dirname "$options")" && write_options "cas=5"
start_vlm -platform xcb "/uninstall /all /regexp"
wait_window Velmora >/dev/null || fail "no welcome message after the uninstall switch behind -platform"
[ "$(option cas)" = 5 ] || fail "the options were removed: $(cat "$options" 2>/dev/null)"
