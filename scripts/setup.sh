#!/usr/bin/env bash
# Installs what a new Debian 12 machine lacks, then configures and builds the suite into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-base-dev-tools qt6-positioning-dev libqt6positioning6-plugins libqt6svg6
          libsqlite3-dev libgl-dev fonts-dejavu-core xvfb xauth x11-apps
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 jq)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=$werror
cmake --build build -j"$(nproc)"
