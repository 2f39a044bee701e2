#!/usr/bin/env bash
# The real program on a first start: the welcome message, then the window at its client size,
# 8040 x 7710 twips: 536 x 514 pixels at the test server's 96 dots per inch.
set -u
source "$(dirname "$0")/../support/e2elib.sh"

# The visible windows titled Velmora: "form ID" for those of the window's size, else "other ID".
kinds() {
    local id
    for id in $(windows Velmora); do
        [ "$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')" = 536x514 ] &&
            echo "form $id" || echo "other $id"
    done
}
ids() { kinds | sed -n "s/^$1 //p"; }
has() { [ -n "$(ids "$1")" ]; }

write_options "hide=0"
start_vlm
wait_for has other || fail "no welcome message"
! has form || fail "the window showed before the welcome message was closed"
press_until_closed "$(ids other | head -n 1)"
wait_for has form || fail "no window of 536x514: $(windows Velmora | xargs -r -n1 xdotool getwindowgeometry)"
running || fail "the program ended"
