#!/usr/bin/env bash
# Main job: install what is missing, build Orvel.vst3 in Release and install it into ~/.vst3.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --target Orvel_VST3 -j "$(nproc)"

mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/Orvel.vst3"
cp -R build/Orvel_artefacts/Release/VST3/Orvel.vst3 "$HOME/.vst3/"
echo "Installed $HOME/.vst3/Orvel.vst3"
