#!/usr/bin/env bash
# The real program on a first start: the welcome message alone, then the window.
set -u
source "$(dirname "$0")/../support/e2elib.sh"

write_options "hide=0"
start_vlm
message=$(wait_window Velmora) || fail "no welcome message"
[ "$(windows Velmora)" = "$message" ] || fail "the window showed before the welcome message was closed"
press_until_closed "$message"
wait_window Velmora >/dev/null || fail "no window after the welcome message"
running || fail "the program ended"
