#!/usr/bin/env bash
# Sets up and builds the suite, then runs every test (each on its own temporary simulated machine), in a fresh
# home and temporary folder that the run must leave empty.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
../scripts/ctest-isolated.sh --output-on-failure -j"$(nproc)" "$@"
