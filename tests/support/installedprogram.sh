# shellcheck shell=bash
# Starts a program installed under a throw-away root, as a user would, and checks what it
# reads and writes. Sourced by tests/e2e/install.sh and deb.sh after tests/e2e/lib.sh; they set
# $root, the throw-away root with the program in $root/usr/bin.

# $vlm_binary is <build>/src/vlm: the build folder is the nearest one above it with a cache.
build_dir=$(dirname "$(realpath "$vlm_binary")")
while [ ! -f "$build_dir/CMakeCache.txt" ] && [ "$build_dir" != / ]; do
    build_dir=$(dirname "$build_dir")
done
[ -f "$build_dir/CMakeCache.txt" ] || fail "no build folder above $vlm_binary"
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build_dir/CMakeCache.txt")

# A picture's size as "WxH".
picture_size() { identify -format '%wx%h' "$1" 2>/dev/null; }

# Every path below $root with its size and time, to see that the program changed nothing there.
tree_listing() { find "$root" -printf '%p %s %T@ %m\n' | sort; }

# Runs $root/usr/bin/vlm on a one-picture collection until the window shows and the wallpaper
# bitmap appears in the per-user data folder. $1: the picture; $2: a name for its log files.
# Afterwards $bitmap is the bitmap written and $trace the file accesses (when strace exists).
run_installed() {
    local picture=$1 name=$2
    printf '%s\r\n' "$picture" > "$home/$name.vlk"
    write_options "hide=0" "start=1" "lastfile=$home/$name.vlk" "index=0" "cas=1" \
        "jednotky=hodin"
    bitmap=$XDG_DATA_HOME/vlm/vlmimage.bmp
    trace=$home/$name.trace
    rm -f "$bitmap" "$trace"
    local tracer=() session=() pidfile=$home/$name.pid wrapper
    command -v strace >/dev/null && tracer=(strace -f -qq -e trace=%file -o "$trace")
    # A private session bus that ends with the program (an autolaunched one would outlive it,
    # and keep strace waiting for it).
    command -v dbus-run-session >/dev/null && session=(dbus-run-session --)
    rm -f "$pidfile"
    # Nothing may lead it back to the build tree: no helper variable, a neutral working folder.
    # shellcheck disable=SC2016 # $0 and $1 belong to the inner shell
    (cd "$home" && exec env -u VLM_METAFILE_HELPER VLM_WALLPAPER_BACKEND=x11 "${session[@]}" \
        "${tracer[@]}" sh -c 'echo $$ > "$0"; exec "$1"' "$pidfile" "$root/usr/bin/vlm") \
        > "$home/$name.log" 2>&1 &
    wrapper=$!
    for _ in $(seq 50); do [ -s "$pidfile" ] && break; sleep 0.1; done
    vlm_pid=$(cat "$pidfile" 2>/dev/null) || fail "$name: the program did not start"
    wait_window Velmora > /dev/null || fail "$name: no window; log: $(cat "$home/$name.log")"
    for _ in $(seq 200); do [ -s "$bitmap" ] && break; sleep 0.1; done
    [ -s "$bitmap" ] || fail "$name: no vlmimage.bmp in $XDG_DATA_HOME/vlm: $(ls -la "$XDG_DATA_HOME/vlm" 2>&1)"
    sleep 0.5 # let the bitmap's write and the options' save end before stopping the program
    # strace and the bus end with the program, and pass on its exit status.
    kill "$vlm_pid"
    wait "$wrapper" 2>/dev/null
    local status=$?
    vlm_pid=
    [ "$status" = 0 ] || fail "$name: the program ended with status $status: $(tail -n 30 "$home/$name.log")"
}

# Fails when the traced run touched the build or source tree, or read another placeholder.
check_trace() {
    local name=$1 placeholder=$2
    [ -f "$trace" ] || { echo "($name: strace missing, file accesses not checked)"; return 0; }
    ! grep -F -e "\"$build_dir/" -e "\"$source_dir/" "$trace" ||
        fail "$name: the installed program used the build or source tree (above)"
    if [ -n "$placeholder" ]; then
        grep -F "noimage.jpg\"" "$trace" | grep -v ENOENT | grep -q -F "\"$placeholder\"" ||
            fail "$name: $placeholder was not read: $(grep -F noimage.jpg "$trace")"
    fi
}

# The whole check: the placeholder and, with the shared sample files, the metafile helper.
check_installed_program() {
    local placeholder=$root/usr/share/vlm/noimage.jpg before after metafile
    before=$(tree_listing)

    # A picture that is not there shows the placeholder, which then becomes the wallpaper.
    run_installed "$home/missing.jpg" placeholder
    [ "$(picture_size "$bitmap")" = "$(picture_size "$placeholder")" ] ||
        fail "the wallpaper is $(picture_size "$bitmap"), not the placeholder's $(picture_size "$placeholder")"
    check_trace placeholder "$placeholder"
    local entry=$XDG_CONFIG_HOME/autostart/Velmora.desktop
    grep -qx "Exec=$root/usr/bin/vlm" "$entry" ||
        fail "autostart does not start the installed program: $(cat "$entry")"

    # A metafile needs the helper from libexec; without it the placeholder would show again.
    metafile=$(find "${VLM_SHARED_TESTDATA:-/nonexistent}/metafiles/wmf" -name '*.wmf' 2>/dev/null |
        sort | head -n 1)
    if [ -n "$metafile" ]; then
        run_installed "$metafile" metafile
        [ "$(picture_size "$bitmap")" != "$(picture_size "$placeholder")" ] ||
            fail "the metafile $metafile was not rendered: the placeholder was applied"
        check_trace metafile ""
        [ ! -f "$trace" ] || grep -q -F "\"$root/usr/libexec/vlm/vlm-metafile\"" "$trace" ||
            fail "the helper in $root/usr/libexec/vlm was not started"
    else
        echo "(no shared sample metafile: the helper's start is not checked)"
    fi

    after=$(tree_listing)
    [ "$before" = "$after" ] ||
        fail "the program changed its installed tree: $(diff <(echo "$before") <(echo "$after"))"
}
