#!/usr/bin/env bash
# Installs what is missing, builds Velmora with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings are errors) and runs every test once: unit, behaviour (offscreen) and end to end
# (each under an X server and a session bus of its own). Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
build=${VLM_TEST_BUILD_DIR:-build-asan}
# A compiler cache, where there is one, makes rebuilds in several checkouts cheap.
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVLM_SANITIZE=ON -DVLM_WERROR=ON \
    >/dev/null
cmake --build "$build" -j"$(nproc)"

# Every test runs once; a failure is reported as it happened.
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"

# Fuzzing takes a few minutes more: CI and whoever asks for it.
if [ -n "${CI:-}" ] || [ "${VLM_FUZZ:-0}" = 1 ]; then
    ./scripts/fuzz.sh
fi
