#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh --program
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLM_BUILD_TESTS=OFF \
    -DVLM_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "vlm needs a desktop session: no DISPLAY or WAYLAND_DISPLAY is set (try: xvfb-run -a ./build/src/vlm)." >&2
    exit 1
fi
exec ./build/src/vlm "$@"
