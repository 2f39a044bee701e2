#!/usr/bin/env bash
# The command line without a display (an uninstaller, a terminal over ssh): the uninstall switch
# removes the options, the bitmap and the autostart entry and prints its message; --help and
# --version print; an unknown option prints the usage and ends with 2; the switch behind Qt
# options starts normally.
set -u
source "$(dirname "$0")/../support/e2elib.sh"

# A portable copy, so the bitmap beside it belongs to this test alone.
cp "$vlm_binary" "$home/vlm"
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$home/vlm" "$@"; }

write_options "hide=1" "lastfile=$home/c.vlk" "cas=5"
printf 'BM' > "$home/vlmimage.bmp"
mkdir -p "$XDG_CONFIG_HOME/autostart"
printf '[Desktop Entry]\nType=Application\nName=Velmora\nExec=%s\n' "$home/vlm" \
    > "$XDG_CONFIG_HOME/autostart/Velmora.desktop"

out=$(headless /uninstall /all /regexp 2>"$home/vlm.log") || fail "the uninstall ended with $?"
[ -e "$home/vlmimage.bmp" ] && fail "the bitmap is still there"
grep -qs '=' "$options" && fail "options remain: $(cat "$options")"
grep -q '^Hidden=true' "$XDG_CONFIG_HOME/autostart/Velmora.desktop" ||
    fail "the autostart entry is still on: $(cat "$XDG_CONFIG_HOME/autostart/Velmora.desktop")"
# The message box's title, then its text a line for each of its lines.
[ "$(echo "$out" | sed -n '1p;$p;$=')" = $'Velmora CommandLine:\nPOKRAČUJTE STISKNUTÍM OK\n8' ] ||
    fail "the uninstall printed: $out"

out=$(headless --help) || fail "--help ended with $?"
echo "$out" | grep -q -- '--change-now' || fail "--help printed: $out"
out=$(headless --version) || fail "--version ended with $?"
echo "$out" | grep -Eq '^Velmora [0-9]+\.[0-9]+\.[0-9]+$' || fail "--version printed: $out"
# Even with a display an unknown option starts no window.
timeout 30 "$home/vlm" --colour >"$home/out.log" 2>&1
status=$?
[ "$status" = 2 ] || fail "an unknown option ended with $status"
grep -q -- '--colour' "$home/out.log" && grep -q -- '--change-now' "$home/out.log" ||
    fail "no usage for an unknown option: $(cat "$home/out.log")"
# Qt's options before the switch make the command line another one: a normal start, which
# leaves the options where they are.
mkdir -p "$(dirname "$options")" && write_options "cas=5"
start_vlm -platform xcb "/uninstall /all /regexp"
wait_window Velmora >/dev/null || fail "no welcome message after the uninstall switch behind -platform"
[ "$(option cas)" = 5 ] || fail "the options were removed: $(cat "$options" 2>/dev/null)"
