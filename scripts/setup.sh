#!/usr/bin/env bash
# Installs what a new Debian 12 machine lacks, then configures and builds the suite into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=$werror
cmake --build build -j"$(nproc)"
