#!/usr/bin/env bash
# Installs what is missing, builds Velmora with AddressSanitizer and UndefinedBehaviorSanitizer,
# starts a virtual X display for the end-to-end tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
build=${VLM_TEST_BUILD_DIR:-build-asan}
# A compiler cache, where there is one, makes rebuilds in several checkouts cheap.
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVLM_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

# A private X display for the end-to-end tests, stopped when the tests end.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

# A test that fails is run once more on its own; its first failure stays in the log above.
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@" ||
    ctest --test-dir "$build" --output-on-failure --rerun-failed

# Fuzzing takes a few minutes more: CI and whoever asks for it.
if [ -n "${CI:-}" ] || [ "${VLM_FUZZ:-0}" = 1 ]; then
    ./scripts/fuzz.sh
fi
