#!/usr/bin/env bash
# The real program on a first start: the welcome message, then the window at its client size.
set -u
source "$(dirname "$0")/../support/e2elib.sh"

# Qt lays the window out at the logical DPI: Xft.dpi when the session sets it, else 96.
dpi=$(xrdb -query 2>/dev/null | sed -n 's/^Xft.dpi:[[:space:]]*//p')
dpi=${dpi:-96}
# The client area is 8040 x 7710 twips: 536 x 514 pixels at 96 dots per inch.
form_size="$(( (8040 * dpi + 720) / 1440 ))x$(( (7710 * dpi + 720) / 1440 ))"

# Visible windows titled "Velmora" other than one of the window's size: the welcome message.
others() {
    for id in $(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null); do
        [ "$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')" = "$form_size" ] ||
            echo "$id"
    done
}
forms() {
    for id in $(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null); do
        [ "$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')" = "$form_size" ] &&
            echo "$id"
    done
}

write_options "hide=0"
start_vlm
for _ in $(seq 100); do [ -n "$(others)" ] && break; sleep 0.1; done
message=$(others | head -n 1)
[ -n "$message" ] || fail "no welcome message"
[ -z "$(forms)" ] || fail "the window showed before the welcome message was closed"
# Without a window manager focus is not guaranteed: focus the message and press Enter until it
# closes.
for _ in $(seq 30); do
    others | grep -qx "$message" || break
    xdotool windowfocus "$message" 2>/dev/null
    xdotool key Return
    sleep 0.3
done
others | grep -qx "$message" && fail "the welcome message did not close"
for _ in $(seq 50); do [ -n "$(forms)" ] && break; sleep 0.1; done
[ -n "$(forms)" ] || fail "no window of ${form_size} titled Velmora; visible: $(xdotool search --onlyvisible --name '^Velmora$' | xargs -r -n1 xdotool getwindowgeometry)"
kill -0 "$vlm_pid" || fail "the program ended"
echo "window $form_size at $dpi dpi"
