#!/usr/bin/env bash
# The program on the session bus: a gdbus call and "vlm --change-now" change the root picture,
# Previous twice shows them back in order, a second start leaves the first running, "vlm --quit"
# shows the window and asks about an unsaved collection. A second run changes the picture every
# 3 s, the stored index following; "vlm --pause" holds it (PropertiesChanged names Paused), over a
# restart too, "vlm --resume" goes on, and "vlm --quit" with nothing unsaved ends it at once.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
need gdbus
export VLM_WALLPAPER_BACKEND=x11
make_collection r.bmp:ff0000 g.jpg:00ff00 b.bmp:0000ff
write_options "hide=0" "start=0" "lastfile=$home/c.vlk" "index=0" "cas=1" "jednotky=hodin"

velmora() { gdbus call --session -d example.velmora.Velmora -o /example/velmora/Velmora -m "$@"; }
property_is() {
    [ "$(velmora org.freedesktop.DBus.Properties.Get example.velmora.Velmora "$1" 2>&1)" = "$2" ]
}
second() { timeout 30 "$vlm_binary" "$@" >>"$home/second.log" 2>&1 || fail "vlm $* ended with $?: $(cat "$home/second.log")"; }
shows() { wait_for root_is "$1" || fail "$2 was not applied: $(root_colour)"; }
index_is() { [ "$(option index)" = "$1" ]; }

start_vlm
shows 255,0,0 "at start the remembered picture (red)"
wait_for property_is Count "(<3>,)" || fail "the program does not answer on the session bus"
velmora example.velmora.Velmora.ChangeNow >/dev/null || fail "ChangeNow failed"
shows 0,255,0 "after ChangeNow green"
property_is CurrentIndex "(<2>,)" || fail "CurrentIndex is not 2"
second --change-now
shows 0,0,255 "after vlm --change-now blue"
second --previous
shows 0,255,0 "after vlm --previous green again"
velmora example.velmora.Velmora.Previous >/dev/null || fail "Previous failed"
shows 255,0,0 "after Previous red again"
property_is CurrentIndex "(<0>,)" || fail "Previous moved the collection's place"
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

write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "index=1" "cas=3" "jednotky=sekund"
start_vlm
shows 0,255,0 "at start the stored entry (green)"
wait_for index_is 2 || fail "the stored index after start is $(option index), not 2"
shows 0,0,255 "after the interval blue"
index_is 0 || fail "the stored index after the timed change is $(option index), not 0"
shows 255,0,0 "then red"
gdbus monitor --session -d example.velmora.Velmora > "$home/monitor.log" 2>&1 &
second --pause
wait_for grep -q "'Paused': <true>" "$home/monitor.log" || fail "no PropertiesChanged for Paused: $(cat "$home/monitor.log")"
held=$(option index) colour=$(root_colour)
unchanged() { [ "$(option index)" = "$held" ] && root_is "$colour"; }
sleep 4 # more than an interval: nothing may change
unchanged || fail "a paused program changed the picture"
second --quit
wait_end || fail "--quit did not end the program cleanly"
start_vlm # still paused: no change at start
wait_for property_is Paused "(<true>,)" || fail "the pause did not outlast the restart"
sleep 4
unchanged || fail "a paused program changed the picture at start"
second --resume
wait_for eval '! unchanged' || fail "--resume did not go on"
second --quit
wait_end || fail "--quit did not end the program cleanly"
[[ $(option lastCh) =~ ^[0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] || fail "the place was not stored: $(cat "$options")"
