#!/usr/bin/env bash
# The three-thread stress test built with ThreadSanitizer (clang) in build-tsan and run for a
# bounded time; any data race report fails the run.
#
# Usage: scripts/stress-tsan.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
scripts/install-deps.sh
start=$(date +%s)

flags="-fsanitize=thread -fno-omit-frame-pointer -gline-tables-only"
CC=clang CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Release -DORVEL_BUILD_BENCH=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build build-tsan -j "$(nproc)" --target orvel_stress_tests
built=$(date +%s)

export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/sanitizer/tsan.supp"
ORVEL_STRESS_SECONDS="$seconds" xvfb-run -a -s "-screen 0 1920x1080x24" build-tsan/tests/stress/orvel_stress_tests
echo "stress-tsan.sh: build $((built - start)) s, stress run $(( $(date +%s) - built )) s"
