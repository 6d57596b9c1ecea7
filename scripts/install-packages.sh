#!/usr/bin/env bash
# Installs the Debian 12 packages the suite needs to build and test, where missing, and any further packages
# named as arguments (the benchmarks' peer tools).
# usage: scripts/install-packages.sh [PACKAGE ...]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-base-dev-tools qt6-positioning-dev libqt6positioning6-plugins libqt6svg6
          libsqlite3-dev libgl-dev fonts-dejavu-core xvfb xauth x11-apps x11-utils
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 jq "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            # Installing takes root; an account without sudo is told what is missing and how root installs it.
            echo "These Debian packages are missing: ${missing[*]}" >&2
            echo "Installing them needs root. As root (su -), run:" >&2
            echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
            echo "then run this command again." >&2
            exit 1
        fi
        SUDO=sudo
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
