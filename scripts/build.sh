#!/usr/bin/env bash
# Main job: install what is missing, build Orvel.vst3 and orvel-render in Release, install the
# plug-in into ~/.vst3 and render the built-in demo through the installed copy.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --target Orvel_VST3 orvel-render -j "$(nproc)"

mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/Orvel.vst3"
cp -R build/Orvel_artefacts/Release/VST3/Orvel.vst3 "$HOME/.vst3/"
echo "Installed $HOME/.vst3/Orvel.vst3"

# A synthesised voice through the installed plug-in: input, output and plot in build/demo.
build/tools/render/orvel-render --demo --plugin "$HOME/.vst3/Orvel.vst3" -o build/demo
