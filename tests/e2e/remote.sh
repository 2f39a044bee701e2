#!/usr/bin/env bash
# The running program reached on the session bus: a gdbus call and a second "vlm --change-now"
# each change the root picture, a second plain start leaves the first running, the properties
# tell the place, "vlm --quit" brings the window forward and asks about an unsaved collection,
# and without one ends the program at once.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
need gdbus
export VLM_WALLPAPER_BACKEND=x11
make_collection r.bmp:ff0000 g.bmp:00ff00 b.bmp:0000ff
write_options "hide=0" "start=0" "lastfile=$home/c.vlk" "index=0" "cas=1" "jednotky=hodin"

velmora() {
    gdbus call --session -d example.velmora.Velmora -o /example/velmora/Velmora -m "$@"
}
property_is() {
    [ "$(velmora org.freedesktop.DBus.Properties.Get example.velmora.Velmora "$1" 2>&1)" = "$2" ]
}
second() { timeout 30 "$vlm_binary" "$@" >>"$home/second.log" 2>&1 || fail "vlm $* ended with $?: $(cat "$home/second.log")"; }

start_vlm
wait_for root_is 255,0,0 || fail "the remembered picture (red) was not applied at start: $(root_colour)"
wait_for property_is Count "(<3>,)" || fail "the program does not answer on the session bus"
velmora example.velmora.Velmora.ChangeNow >/dev/null || fail "ChangeNow failed"
wait_for root_is 0,255,0 || fail "ChangeNow did not change the wallpaper to green: $(root_colour)"
property_is CurrentIndex "(<2>,)" || fail "CurrentIndex is not 2"
second --change-now
wait_for root_is 0,0,255 || fail "vlm --change-now did not change the wallpaper to blue: $(root_colour)"
second
running || fail "the first copy ended"

# An unsaved collection: delete the selected entry, then ask the program to quit.
main=$(wait_window Velmora) || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + 3100 / 15)) $((Y + 5510 / 15)) click 1 # smazat vybraný záznam
wait_for property_is Count "(<2>,)" || fail "the entry was not deleted"
xdotool windowunmap "$main" # the quit request must bring it back
second --quit
press_until_closed "$(wait_window Upozornění)" # answered Yes
windows Velmora >/dev/null || fail "the window was not shown"
press_until_closed "$(wait_window "Konec aplikace")"
wait_end || fail "--quit did not end the program cleanly"

# Nothing unsaved: --quit ends the program without a question and stores its place.
write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "index=0" "cas=7" "jednotky=hodin"
start_vlm
wait_for property_is Count "(<3>,)" || fail "the second run does not answer on the session bus"
second --quit
wait_end || fail "--quit did not end the program cleanly"
[[ $(option lastCh) =~ ^[0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] || fail "the place was not stored: $(cat "$options")"
