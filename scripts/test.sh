#!/usr/bin/env bash
# Tests: install what is missing, build everything and run the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"

# Some tests open windows or fonts; give them a virtual display.
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir build --output-on-failure -j "$(nproc)"
