#!/usr/bin/env bash
# Prints the non-blank lines of the tests (tests/ and fuzz/) against those of the program
# (src/), and their ratio. Only files tracked by git count, so build trees and scratch files
# do not; C++ sources, headers and shell scripts are counted.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    git ls-files -z -- "$@" | xargs -0 -r cat | grep -c '[^[:space:]]' || true
}

patterns() {
    local dir
    for dir in "$@"; do
        printf '%s\n' "$dir/*.cpp" "$dir/*.h" "$dir/*.sh"
    done
}

mapfile -t test_patterns < <(patterns tests fuzz)
mapfile -t src_patterns < <(patterns src)
tests=$(count "${test_patterns[@]}")
src=$(count "${src_patterns[@]}")
ratio=$(awk -v t="$tests" -v s="$src" 'BEGIN { printf "%.2f", s ? t / s : 0 }')
echo "tests+fuzz: $tests  src: $src  ratio: $ratio"
