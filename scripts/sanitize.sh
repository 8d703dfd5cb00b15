#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer (clang) in
# build-asan, and run. Any sanitizer report fails the run. The same build carries the fuzz
# targets (scripts/fuzz.sh), which is why everything is also compiled with fuzzer-no-link.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
start=$(date +%s)

flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer -gline-tables-only"
link="-fsanitize=address,undefined"
# The plug-in module leaves the sanitizer runtime's symbols to the executable that loads it,
# so it is linked allowing undefined symbols (JUCE links modules with --no-undefined).
module_link="$link -Wl,-z,undefs"
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Release \
    -DORVEL_BUILD_BENCH=OFF -DORVEL_BUILD_FUZZERS=ON \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$link" -DCMAKE_SHARED_LINKER_FLAGS="$module_link" -DCMAKE_MODULE_LINKER_FLAGS="$module_link"
cmake --build build-asan -j "$(nproc)"
built=$(date +%s)

# A report aborts the test that made it; leaks are reported at exit and fail it too.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizer/lsan.supp:print_suppressions=0"
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
done_at=$(date +%s)

echo "sanitize.sh: build $((built - start)) s, tests $((done_at - built)) s"
