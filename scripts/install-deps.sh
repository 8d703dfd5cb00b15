#!/usr/bin/env bash
# Installs what Orvel needs to build and test on Debian 12. Safe to run again: packages
# that are already there are left alone.
set -euo pipefail

packages=(
    build-essential cmake pkg-config patch
    juce-modules-source
    libasound2-dev libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev
    libxcursor-dev libxext-dev libcurl4-openssl-dev
    libflac-dev libvorbis-dev libogg-dev
    libebur128-dev
    libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev llvm
    xvfb xauth fonts-dejavu-core
    libjack-jackd2-dev lv2-dev liblilv-dev lilv-utils sordi xdotool x11-apps imagemagick
    locales
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# One decimal-comma locale, so that the tests can show that stored states do not depend on
# the host's numeric locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    "${sudo_cmd[@]}" locale-gen >/dev/null
fi
