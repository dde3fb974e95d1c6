#!/usr/bin/env bash
# Installs every Debian package that building, testing, benchmarking and fuzzing
# Tavik needs. Idempotent: apt-get runs only when something is missing.
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    pkg-config
    qt6-base-dev
    qt6-base-dev-tools
    libqt6svg6
    qt6-svg-dev
    qt6-translations-l10n
    qt6-image-formats-plugins
    libgl1-mesa-dev
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    nlohmann-json3-dev
    clang-14
    libclang-rt-14-dev
    xvfb
    xauth
    openbox
    xdotool
    x11-utils
    libx11-dev
    xclip
    fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
