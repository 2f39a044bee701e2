#!/usr/bin/env bash
# The Debian package CPack makes: its dependencies, the layout a desktop expects (both
# validators), and the program unpacked (dpkg -x) into a read-only root and started from there,
# writing only into the user's folders and finding its data and helper relative to itself.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
need cpack dpkg-deb dpkg-shlibdeps identify desktop-file-validate appstreamcli

# $vlm_binary is <build>/src/vlm; this test lies in <source>/tests/e2e.
build_dir=$(cd "$(dirname "$vlm_binary")/.." && pwd -P) source_dir=$(cd "$(dirname "$0")/../.." && pwd -P)
[ -f "$build_dir/CPackConfig.cmake" ] || fail "no CPack configuration in $build_dir"

(cd "$home" && cpack -G DEB -B "$home/package" --config "$build_dir/CPackConfig.cmake") \
    > "$home/cpack.log" 2>&1 || fail "cpack failed: $(tail -n 20 "$home/cpack.log")"
deb=$(ls "$home/package/"*.deb 2>/dev/null)
[ "$(echo "$deb" | wc -w)" = 1 ] || fail "expected one .deb, found: $deb $(ls "$home/package")"
depends=$(dpkg-deb -f "$deb" Depends) recommends=$(dpkg-deb -f "$deb" Recommends)
has() { [[ ", $1," == *", $2"[,\ ]* ]]; } # the list names the package
size() { identify -format %wx%h "$1" 2>/dev/null; }
# The run-time libraries the two executables link, found by dpkg-shlibdeps.
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6dbus6 libqt6svg6 \
    libxcb1 libc6; do
    has "$depends" "$package" || fail "Depends lacks $package: $depends"
done
# Nothing of the build or the tests: no development packages, tools or test libraries.
absurd=$(echo "$depends" | tr ',' '\n' | grep -E -e '-dev\b' -e 'gtest|gmock|benchmark|uemf' \
    -e '\b(cmake|ninja-build|g\+\+|gcc|clang|xvfb|xdotool|imagemagick|strace)\b')
[ -z "$absurd" ] || fail "Depends lists what the program does not need: $absurd"
# What the program needs beyond its libraries, as the set-up script installs it.
for package in $("$source_dir/scripts/install-deps.sh" --print-runtime); do
    has "$depends, $recommends" "$package" || fail "neither Depends nor Recommends: $package"
done

root=$home/root usr=$home/root/usr
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
[ "$(ls "$root")" = usr ] || fail "the package puts files outside /usr: $(ls "$root")"
for file in bin/vlm libexec/vlm/vlm-decode libexec/vlm/vlm-decode-common; do [ -x "$usr/$file" ] || fail "no executable /usr/$file"; done
# One application id names the desktop entry, the metainfo, the icons and the autostart icon.
desktop=$(ls "$usr/share/applications/"*.desktop 2>/dev/null)
[ "$(echo "$desktop" | wc -w)" = 1 ] || fail "expected one desktop entry, found: $desktop"
app_id=$(basename "$desktop" .desktop)
[[ $app_id =~ ^[a-z0-9]+(\.[a-zA-Z0-9_]+){2,}$ ]] || fail "$app_id is not a reverse-DNS id"
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
for file in "$usr/share/vlm/noimage.jpg" "$usr/share/doc/velmora/copyright" "$metainfo"; do
    [ -s "$file" ] || fail "the package lacks $file"
done
grep -qx "Icon=$app_id" "$desktop" && grep -qx "Exec=vlm" "$desktop" ||
    fail "the desktop entry does not start vlm with the icon $app_id"
grep -q "<id>$app_id</id>" "$metainfo" &&
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo's id or launchable is not $app_id"
for size in 16 22 24 32 48 64 128 256; do
    icon=$usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
    [ "$(size "$icon")" = "${size}x$size" ] || fail "$icon is not ${size}x$size"
done
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$metainfo" > "$home/appstream.log" 2>&1 ||
    fail "appstreamcli rejects $metainfo: $(cat "$home/appstream.log")"

# Runs $usr/bin/vlm on a collection of $1 (applied at start) and $3 (shown in the preview) until
# the window shows and the bitmap in the per-user data folder is whole; $2 names its files.
# Afterwards $bitmap is that bitmap and $trace the file accesses (when strace exists).
run_installed() {
    local name=$2 tracer=() wrapper status
    printf '%s\r\n' "$1" ${3:+"$3"} > "$home/$name.vlk"
    write_options "hide=0" "start=1" "lastfile=$home/$name.vlk" "index=0" "cas=1" "jednotky=hodin"
    bitmap=$XDG_DATA_HOME/vlm/vlmimage.bmp trace=$home/$name.trace
    rm -f "$bitmap" "$trace" "$home/$name.pid"
    command -v strace >/dev/null && tracer=(strace -f -qq -e trace=%file -o "$trace")
    # Nothing leads it to the build tree; a private bus ends with it (an autolaunched one
    # would keep strace waiting).
    # shellcheck disable=SC2016 # $0 and $1 belong to the inner shell
    (cd "$home" && exec env -u VLM_DECODE_HELPER VLM_WALLPAPER_BACKEND=x11 dbus-run-session -- \
        "${tracer[@]}" sh -c 'echo $$ > "$0"; exec "$1"' "$home/$name.pid" "$usr/bin/vlm") \
        > "$home/vlm.log" 2>&1 &
    wrapper=$!
    wait_for test -s "$home/$name.pid" || fail "$name: the program did not start"
    vlm_pid=$(cat "$home/$name.pid")
    wait_window Velmora > /dev/null || fail "$name: no window"
    wait_for identify "$bitmap" >/dev/null 2>&1 || fail "$name: no whole vlmimage.bmp in $XDG_DATA_HOME/vlm"
    kill "$vlm_pid" # strace and the bus end with the program, and pass on its exit status
    wait "$wrapper"
    status=$? vlm_pid=
    [ "$status" = 0 ] || fail "$name: the program ended with status $status"
    [ ! -f "$trace" ] || ! grep -F -e "\"$build_dir/" -e "\"$source_dir/" "$trace" ||
        fail "$name: the installed program used the build or source tree (above)"
}

chmod -R a-w "$root" # root writes anyway, so the tree's listing is compared too
before=$(find "$root" -printf '%p %s %T@ %m\n' | sort)
placeholder=$usr/share/vlm/noimage.jpg
# A picture that is not there previews the placeholder (and never becomes the wallpaper).
convert -size 64x48 xc:'#336699' "$home/start.bmp"
run_installed "$home/start.bmp" placeholder "$home/missing.jpg"
[ "$(size "$bitmap")" = 64x48 ] || fail "the wallpaper is $(size "$bitmap"), not the picture's 64x48"
[ ! -f "$trace" ] || grep -F "noimage.jpg\"" "$trace" | grep -v ENOENT | grep -q -F "\"$placeholder\"" ||
    fail "$placeholder was not read: $(grep -F noimage.jpg "$trace")"
entry=$XDG_CONFIG_HOME/autostart/Velmora.desktop
grep -qx "Exec=$usr/bin/vlm" "$entry" && grep -qx "Icon=$app_id" "$entry" ||
    fail "autostart does not start the installed program with its icon: $(cat "$entry")"

# A metafile needs the helper from libexec; without it the placeholder would show again.
metafile=$(ls "${VLM_SHARED_TESTDATA:-/nonexistent}"/metafiles/wmf/*.wmf 2>/dev/null | head -n 1)
if [ -n "$metafile" ]; then
    run_installed "$metafile" metafile
    [ "$(size "$bitmap")" != "$(size "$placeholder")" ] ||
        fail "the metafile $metafile was not rendered: the placeholder was applied"
    [ ! -f "$trace" ] || grep -q -F "\"$usr/libexec/vlm/vlm-decode\"" "$trace" ||
        fail "the helper in $usr/libexec/vlm was not started"
else
    echo "(no shared sample metafile: the helper's start is not checked)"
fi
[ "$before" = "$(find "$root" -printf '%p %s %T@ %m\n' | sort)" ] || fail "the program changed its installed tree"
