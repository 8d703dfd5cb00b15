#!/usr/bin/env bash
# Main job: install what is missing, build Orvel in its three formats (VST3, LV2, standalone
# application) and orvel-render in Release, install them where Linux hosts and shells look,
# and render the built-in demo through the installed VST3.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --target Orvel_VST3 Orvel_LV2 Orvel_Standalone orvel-render -j "$(nproc)"

artefacts=build/Orvel_artefacts/Release

mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/Orvel.vst3"
cp -R "$artefacts/VST3/Orvel.vst3" "$HOME/.vst3/"
echo "Installed $HOME/.vst3/Orvel.vst3"

mkdir -p "$HOME/.lv2"
rm -rf "$HOME/.lv2/Orvel.lv2"
cp -R "$artefacts/LV2/Orvel.lv2" "$HOME/.lv2/"
echo "Installed $HOME/.lv2/Orvel.lv2"

mkdir -p "$HOME/.local/bin"
install -m 755 "$artefacts/Standalone/Orvel" "$HOME/.local/bin/Orvel"
echo "Installed $HOME/.local/bin/Orvel"
case ":$PATH:" in
    *":$HOME/.local/bin:"*) ;;
    *) echo "Note: $HOME/.local/bin is not on PATH in this shell; start the application as $HOME/.local/bin/Orvel" \
            "(Debian's ~/.profile adds the folder at the next login when it exists)." ;;
esac

# A synthesised voice through the installed plug-in: input, output and plot in build/demo.
build/tools/render/orvel-render --demo --plugin "$HOME/.vst3/Orvel.vst3" -o build/demo
