#!/usr/bin/env bash
# Sets up and builds the suite, then runs every test (each on its own temporary simulated machine).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
