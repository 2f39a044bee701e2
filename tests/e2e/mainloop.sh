#!/usr/bin/env bash
# The real program with a remembered collection of three solid pictures and a 3-second
# interval: the root window shows the stored picture at once and the next ones in turn, and the
# stored index follows.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
make_collection red.bmp:ff0000 green.jpg:00ff00 blue.bmp:0000ff
write_options "hide=0" "start=0" "lastfile=$home/c.vlk" "index=1" "cas=3" "jednotky=sekund"
index_is() { [ "$(option index)" = "$1" ]; }

VLM_WALLPAPER_BACKEND=x11 start_vlm
wait_for root_is 0,255,0 || fail "the stored entry (green) was not applied at start: $(root_colour)"
wait_for index_is 2 || fail "index after start is $(option index), expected 2"
wait_for root_is 0,0,255 || fail "blue did not follow after the interval: $(root_colour)"
index_is 0 || fail "index after the timed change is $(option index), expected 0"
wait_for root_is 255,0,0 || fail "red did not follow: $(root_colour)"
running || fail "the program ended"
