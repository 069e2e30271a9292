#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the editor and the tests need and the machine lacks.
# The one package list of the project: run.sh and test.sh both call this.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache git
    juce-modules-source
    libhidapi-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-14-dev sox
    libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev
    libxext-dev libxcomposite-dev libasound2-dev libcurl4-openssl-dev
    xvfb xauth x11-utils imagemagick zip unzip fonts-dejavu-core
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Run as root or install sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
