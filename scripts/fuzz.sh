#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers) and runs
# each for FUZZ_SECONDS (default 20) from the committed seeds in fuzz/corpus/<target>/.
# A crash leaves its input in <build>/fuzz-artifacts/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${VLM_FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
# A fixed seed makes a run repeatable (the same inputs in the same order); FUZZ_SEED=0 lets
# libFuzzer pick one, for longer hunts.
seed=${FUZZ_SEED:-1}
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DENABLE_FUZZING=ON -DVLM_WERROR=ON -DVLM_BUILD_TESTS=OFF -DVLM_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

# Longest input per target: enough for every structure the target reads, short enough to
# keep each run fast.
declare -A max_len=(
    [collection]=4096 [settings]=6000 [numbers]=300
    [updatetext]=8192 [autostart]=1024 [picture]=16384 [photo]=16384
)

artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
failed=()
for target in "${!max_len[@]}"; do
    binary=$build/fuzz/${target}_fuzz
    work=$build/fuzz-corpus/$target
    mkdir -p "$work"
    echo "fuzzing $target for ${seconds}s"
    # The committed seeds stay as they are; new finds go to the build tree.
    if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$binary" "$work" \
        "fuzz/corpus/$target" -max_total_time="$seconds" -seed="$seed" -max_len="${max_len[$target]}" \
        -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$artifacts/${target}-" \
        -print_final_stats=1 >"$build/fuzz-$target.log" 2>&1; then
        tail -n 40 "$build/fuzz-$target.log"
        failed+=("$target")
    else
        grep -E '^stat::number_of_executed_units' "$build/fuzz-$target.log" || true
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $artifacts)"
    exit 1
fi
echo "fuzzing: no faults in ${#max_len[@]} targets"
