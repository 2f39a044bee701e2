#!/usr/bin/env bash
# The Debian package that CPack makes: its files, its declared dependencies, and the program
# unpacked into a throw-away root (dpkg -x) started from there.
set -u
source "$(dirname "$0")/../support/e2elib.sh"
for tool in cpack dpkg-deb dpkg-shlibdeps identify; do
    command -v $tool >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done

source "$(dirname "$0")/../support/installedprogram.sh"

# The package is made in the temporary folder; the build folder only lends its configuration.
(cd "$home" && cpack -G DEB -B "$home/package" --config "$build_dir/CPackConfig.cmake") \
    > "$home/cpack.log" 2>&1 || fail "cpack failed: $(tail -n 20 "$home/cpack.log")"
deb=$(ls "$home/package/"*.deb 2>/dev/null)
[ "$(echo "$deb" | wc -w)" = 1 ] || fail "expected one .deb, found: $deb $(ls "$home/package")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmora ] || fail "the package is called $(field Package)"
depends=$(field Depends)
echo "Depends: $depends"
echo "Recommends: $(field Recommends)"
# The run-time libraries the two executables link, found by dpkg-shlibdeps.
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6dbus6 libqt6svg6 \
    libxcb1 libc6; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
        fail "Depends lacks $package"
done
# Nothing of the build or the tests: no development packages, tools or test libraries.
absurd=$(echo "$depends" | tr ',' '\n' | grep -E -e '-dev\b' -e 'gtest|gmock|benchmark|uemf' \
    -e '\b(cmake|ninja-build|g\+\+|gcc|clang|xvfb|xdotool|imagemagick|strace)\b')
[ -z "$absurd" ] || fail "Depends lists what the program does not need: $absurd"
# What the program needs beyond its libraries, as the set-up script installs it.
for package in $("$source_dir/scripts/install-deps.sh" --print-runtime); do
    [[ ", $depends, $(field Recommends)," == *", $package"[,\ ]* ]] ||
        fail "the package neither depends on nor recommends $package"
done

root=$home/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
for file in usr/bin/vlm usr/libexec/vlm/vlm-metafile usr/share/vlm/noimage.jpg \
    usr/share/doc/velmora/copyright; do
    [ -s "$root/$file" ] || fail "the package lacks /$file"
done
[ "$(find "$root/usr/share/applications" "$root/usr/share/metainfo" \
    "$root/usr/share/icons/hicolor" -type f | wc -l)" = 11 ] ||
    fail "the package lacks the desktop entry, the metainfo or some of the 9 icons"
# Only /usr: a package never ships files elsewhere.
[ "$(ls "$root")" = usr ] || fail "the package puts files outside /usr: $(ls "$root")"

# Unpacked here, the program finds its data relative to itself: the build was configured for
# another prefix, so the paths compiled in point elsewhere.
chmod -R a-w "$root"
trap 'status=$?; chmod -R u+w "$root" 2>/dev/null; finish $status' EXIT
check_installed_program
echo "velmora package unpacked and started"
