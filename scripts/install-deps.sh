#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Velmora need.
# Only missing packages are installed; apt-get update runs once, and only when needed.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    libxcb1-dev libwmf-dev libemf2svg-dev libuemf-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-comic-neue
    xvfb x11-utils xdotool imagemagick trayer xwallpaper
    dbus dbus-x11 libglib2.0-bin gsettings-desktop-schemas xfconf
    desktop-file-utils appstream dpkg-dev strace
    clang-14 libclang-rt-14-dev
)
if [ "${1:-}" = "--runtime-only" ]; then
    packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libqt6svg6
        qt6-qpa-plugins libxcb1-dev libwmf-dev libemf2svg-dev
        fonts-comic-neue)
fi

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
