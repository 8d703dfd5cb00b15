#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time on its seed corpus (fuzz/corpus/<target>),
# in the sanitizer build that scripts/sanitize.sh makes. A crash, a leak, a sanitizer report or
# an input that takes over 10 s fails the run; the input that caused it is left in
# build-asan/fuzz-artifacts/ to be added to the corpus as a regression input.
#
# New inputs found go to a scratch corpus in build-asan/fuzz-corpus/<target>, which later runs
# start from too; the shipped seeds in fuzz/corpus are only read, never changed.
#
# Usage: scripts/fuzz.sh [seconds per target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
targets=(state preset settings)

if [ ! -f build-asan/CMakeCache.txt ]; then
    echo "fuzz.sh: run scripts/sanitize.sh first (it configures build-asan)" >&2
    exit 1
fi
cmake --build build-asan -j "$(nproc)" --target "${targets[@]/#/orvel_fuzz_}"

mkdir -p build-asan/fuzz-artifacts
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$PWD/scripts/sanitizer/ubsan.supp"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizer/lsan.supp:print_suppressions=0"

for t in "${targets[@]}"; do
    work="build-asan/fuzz-corpus/$t"
    mkdir -p "$work"
    start=$(date +%s)
    set +e
    build-asan/fuzz/orvel_fuzz_$t -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-asan/fuzz-artifacts/$t-" \
        "$work" "fuzz/corpus/$t" > "build-asan/fuzz-$t.log" 2>&1
    status=$?
    set -e
    grep -E "^(stat::number_of_executed_units|stat::new_units_added|SUMMARY|Orvel fuzz)" "build-asan/fuzz-$t.log" || true
    echo "fuzz.sh: $t ran $(( $(date +%s) - start )) s, exit $status"
    [ "$status" -eq 0 ] || { tail -40 "build-asan/fuzz-$t.log"; exit "$status"; }
done
