#!/usr/bin/env bash
# Renders the application icon for the hicolor theme from velmora.svg, each size drawn from the
# vector shapes (not scaled from another bitmap). 32 px is the hand-drawn velmora.png itself.
# Run after editing velmora.svg; the results are committed so a build needs no ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p hicolor
for size in 16 22 24 48 64 128 256; do
    # ImageMagick reads SVG units at 96 per inch: 32 units at 3 * size dpi are size pixels.
    density=$((3 * size))
    convert -background none -density "$density" velmora.svg -depth 8 \
        -define png:color-type=6 "hicolor/velmora-$size.png"
    [ "$(identify -format '%wx%h' "hicolor/velmora-$size.png")" = "${size}x$size" ] ||
        { echo "velmora-$size.png came out at the wrong size" >&2; exit 1; }
done
