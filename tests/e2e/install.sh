#!/usr/bin/env bash
# `cmake --install` into a throw-away prefix: the layout a desktop expects, both validators, and
# the installed program started from the read-only prefix, writing only into the user's folder.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
for tool in desktop-file-validate appstreamcli identify; do
    command -v $tool >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done

source "$(dirname "$0")/../support/installedprogram.sh"

root=$home/root
cmake --install "$build_dir" --prefix "$root/usr" > "$home/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$home/install.log")"
usr=$root/usr

# One application id names the desktop entry, the metainfo, the icons and the autostart icon.
desktop=$(ls "$usr/share/applications/"*.desktop 2>/dev/null)
[ "$(echo "$desktop" | wc -w)" = 1 ] || fail "expected one desktop entry, found: $desktop"
app_id=$(basename "$desktop" .desktop)
[[ $app_id =~ ^[a-z0-9]+(\.[a-zA-Z0-9_]+){2,}$ ]] || fail "$app_id is not a reverse-DNS id"
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
for file in "$usr/bin/vlm" "$usr/libexec/vlm/vlm-metafile"; do
    [ -x "$file" ] || fail "$file is missing or not executable"
done
for file in "$usr/share/vlm/noimage.jpg" "$metainfo" \
    "$usr/share/icons/hicolor/scalable/apps/$app_id.svg"; do
    [ -s "$file" ] || fail "$file is missing"
done
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry's icon is not $app_id"
grep -qx "Exec=vlm" "$desktop" || fail "the desktop entry does not start vlm"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"
for size in 16 22 24 32 48 64 128 256; do
    icon=$usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
    [ "$(picture_size "$icon")" = "${size}x$size" ] || fail "$icon is not ${size}x$size"
done
[ "$(picture_size "$usr/share/icons/hicolor/scalable/apps/$app_id.svg")" = 32x32 ] ||
    fail "the scalable icon does not read as a 32x32 drawing"

desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$metainfo" > "$home/appstream.log" 2>&1 ||
    fail "appstreamcli rejects $metainfo: $(cat "$home/appstream.log")"

# Read-only for a user; root writes anyway, so the listing before and after is compared too.
chmod -R a-w "$root"
trap 'status=$?; chmod -R u+w "$root" 2>/dev/null; finish $status' EXIT
check_installed_program
grep -qx "Icon=$app_id" "$XDG_CONFIG_HOME/autostart/Velmora.desktop" ||
    fail "the autostart entry's icon is not $app_id"
echo "installed as $app_id; the program ran from the read-only prefix"
