#!/usr/bin/env bash
# The running program reached from outside on a private session bus: a gdbus call and a second
# "vlm --change-now" each change the root picture, a second plain start ends and leaves the
# first running, the properties tell the place, "vlm --quit" with an unsaved collection brings
# the window forward and asks, and without unsaved changes it ends the program at once.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
command -v convert >/dev/null || { echo "SKIP: imagemagick missing"; exit 77; }
command -v gdbus >/dev/null || { echo "SKIP: gdbus missing"; exit 77; }
export VLM_WALLPAPER_BACKEND=x11

pictures=$home/pictures
mkdir -p "$pictures"
for colour in ff0000 00ff00 0000ff; do convert -size 64x48 "xc:#$colour" "$pictures/$colour.bmp"; done
printf '%s\r\n' "$pictures"/ff0000.bmp "$pictures"/00ff00.bmp "$pictures"/0000ff.bmp > "$home/c.vlk"
write_options "hide=0" "start=0" "lastfile=$home/c.vlk" "index=0" "cas=1" "jednotky=hodin"

# The root window's colour near its top left corner (the window sits in the middle), "r,g,b".
root_colour() {
    convert x:root -crop 1x1+20+20 -depth 8 txt:- 2>/dev/null |
        sed -n '2s/^[^(]*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1,\2,\3/p'
}
wait_colour() {
    for _ in $(seq 100); do
        [ "$(root_colour)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
velmora() {
    gdbus call --session -d example.velmora.Velmora -o /example/velmora/Velmora -m "$@"
}
property() { velmora org.freedesktop.DBus.Properties.Get example.velmora.Velmora "$1"; }
# Waits until the program answers on the bus.
wait_service() {
    for _ in $(seq 100); do property Count >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
# Waits for the program to end by itself; fails unless it ends with status 0 and no sanitizer
# report.
wait_end() {
    for _ in $(seq 100); do kill -0 "$vlm_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$vlm_pid" 2>/dev/null && fail "the program did not end"
    wait "$vlm_pid"
    local status=$?
    vlm_pid=
    [ "$status" = 0 ] || fail "the program ended with status $status"
    [ -z "$(sanitizer_report)" ] || fail "a sanitizer report"
}
# Focuses a question and answers it with Enter (Yes) until it closes.
answer_yes() {
    local id
    id=$(wait_window "$1") || fail "no question titled $1"
    for _ in $(seq 30); do
        xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -qx "$id" || return 0
        xdotool windowfocus "$id" 2>/dev/null
        xdotool key Return
        sleep 0.3
    done
    fail "the question $1 did not close"
}

start_vlm
wait_colour "255,0,0" || fail "the remembered picture (red) was not applied at start: $(root_colour)"
wait_service || fail "the program does not answer on the session bus"
velmora example.velmora.Velmora.ChangeNow >/dev/null || fail "ChangeNow failed"
wait_colour "0,255,0" || fail "ChangeNow did not change the wallpaper to green: $(root_colour)"
[ "$(property Count)" = "(<3>,)" ] || fail "Count is $(property Count)"
[ "$(property CurrentIndex)" = "(<2>,)" ] || fail "CurrentIndex is $(property CurrentIndex)"

timeout 30 "$vlm_binary" --change-now >>"$home/second.log" 2>&1 ||
    fail "vlm --change-now ended with $?: $(cat "$home/second.log")"
wait_colour "0,0,255" || fail "vlm --change-now did not change the wallpaper to blue: $(root_colour)"
timeout 30 "$vlm_binary" >>"$home/second.log" 2>&1 ||
    fail "a second start ended with $?: $(cat "$home/second.log")"
kill -0 "$vlm_pid" 2>/dev/null || fail "the first copy ended"

# An unsaved collection: delete the selected entry, then ask the program to quit.
main=$(wait_window Velmora) || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + 3100 / 15)) $((Y + 5510 / 15)) click 1 # smazat vybraný záznam
for _ in $(seq 50); do [ "$(property Count)" = "(<2>,)" ] && break; sleep 0.1; done
[ "$(property Count)" = "(<2>,)" ] || fail "the entry was not deleted: Count $(property Count)"
xdotool windowunmap "$main" # the quit request must bring it back
timeout 30 "$vlm_binary" --quit >>"$home/second.log" 2>&1 || fail "vlm --quit ended with $?"
answer_yes "Upozornění"
xdotool search --onlyvisible --name '^Velmora$' >/dev/null || fail "the window was not shown"
answer_yes "Konec aplikace"
wait_end

# Nothing unsaved: --quit ends the program without a question and stores its place.
write_options "hide=1" "start=0" "lastfile=$home/c.vlk" "index=0" "cas=7" "jednotky=hodin"
start_vlm
wait_service || fail "the second run does not answer on the session bus"
timeout 30 "$vlm_binary" --quit >>"$home/second.log" 2>&1 || fail "vlm --quit ended with $?"
wait_end
grep -q '^lastCh=[0-9][0-9]:[0-9][0-9]:[0-9][0-9]$' "$XDG_CONFIG_HOME/vlm/vlm.ini" || fail "the place was not stored: $(cat "$XDG_CONFIG_HOME/vlm/vlm.ini")"
echo "ChangeNow, --change-now, a second start and both ways of --quit checked"
