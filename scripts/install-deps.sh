#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velmora need.
# Only missing packages are installed; apt-get update runs once, and only when needed.
# Recommended packages are not pulled in, so every package a tool needs at run time is named
# here, also where Debian only recommends it.
#
#   install-deps.sh            everything: build, program, tests, benchmarks, fuzzing
#   install-deps.sh --program  what building and running the program needs
#   install-deps.sh --print-runtime   prints the program's run-time packages beyond the
#                                     libraries it links (the Debian package names the same)
#   install-deps.sh --desktop sway|gnome   a headless desktop for scripts/desktop-check.sh
#                                     (large, never installed by the other modes or CI)
set -euo pipefail

# What the program itself needs at run time besides the libraries it links: libwmf draws text
# with the URW Type 1 fonts, "Comic Sans MS" is stood in for by Comic Neue, and Qt's own
# dialogs and buttons read Czech with Qt's translations.
runtime=(fonts-urw-base35 fonts-comic-neue qt6-translations-l10n)
build=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libqt6svg6 libxcb1-dev
    # libwmf's pkg-config file links expat and libjpeg, which libwmf-dev does not bring; the
    # program decodes JPEG photographs with libjpeg(-turbo) itself too.
    libwmf-dev libexpat1-dev libjpeg-dev libemf2svg-dev
    # The picture helper's photo decoders (WebP, TIFF, HEIC/HEIF/AVIF, JPEG XL, Exif
    # orientation) and its SVG renderer, with zlib to inflate SVGZ under a cap.
    libwebp-dev libtiff-dev libheif-dev libexif-dev libjxl-dev librsvg2-dev zlib1g-dev
    # The decoding helper's system-call filter.
    libseccomp-dev
)
tests=(
    libgtest-dev libgmock-dev libbenchmark-dev libuemf-dev
    # xvfb-run (the README's way to try the program without a desktop) needs xauth.
    xvfb xauth x11-utils x11-xserver-utils xdotool trayer xwallpaper time
    # bench/compare.sh: djpeg decodes the change benchmark's pictures alone, its floor.
    libjpeg-turbo-progs
    # The photo decoders' tests encode their pictures: cwebp, img2webp, webpmux; avifenc;
    # heif-enc; cjxl. The SVG tests compare with rsvg-convert.
    webp libavif-bin libheif-examples libjxl-tools librsvg2-bin
    # ImageMagick reads SVG (the scalable icon) only through the recommended coders.
    imagemagick libmagickcore-6.q16-6-extra
    # xfconf-query does not start without the library xfconf only recommends.
    dbus dbus-x11 libglib2.0-bin gsettings-desktop-schemas xfconf libxfconf-0-3
    # The Debian package: cpack's dependency scan uses file and dpkg-shlibdeps.
    desktop-file-utils appstream dpkg-dev file strace
    # The picture helper runs inside bubblewrap where it is installed; the tests try that.
    bubblewrap
    clang-14 libclang-rt-14-dev
    # scripts/mutants.sh links its many rebuilds with lld.
    lld
)

# scripts/desktop-check.sh: the desktop itself, a screenshot tool it allows, Qt's Wayland
# platform for the program, and the tools the check reads pictures and answers with.
desktop_common=(qt6-wayland imagemagick libmagickcore-6.q16-6-extra dbus libglib2.0-bin
    util-linux)
desktop_sway=(sway swaybg grim jq)
# GNOME Shell lets gnome-screenshot take screenshots; the AppIndicator extension gives the
# program a tray, so its window can stay hidden instead of covering the wallpaper.
desktop_gnome=(gnome-shell gnome-screenshot gnome-shell-extension-appindicator dconf-service
    gsettings-desktop-schemas)

case "${1:-}" in
--desktop)
    case "${2:-}" in
    sway) packages=("${desktop_common[@]}" "${desktop_sway[@]}") ;;
    gnome) packages=("${desktop_common[@]}" "${desktop_gnome[@]}") ;;
    *)
        echo "usage: $0 --desktop sway|gnome" >&2
        exit 2
        ;;
    esac
    ;;
--print-runtime)
    printf '%s\n' "${runtime[@]}"
    exit 0
    ;;
--program) packages=("${build[@]}" "${runtime[@]}") ;;
"") packages=("${build[@]}" "${runtime[@]}" "${tests[@]}") ;;
*)
    echo "usage: $0 [--program | --print-runtime | --desktop sway|gnome]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
