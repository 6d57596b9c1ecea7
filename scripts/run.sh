#!/usr/bin/env bash
# Sets up and builds the suite, then starts Hushdeck on the default simulated machine
# (~/.local/share/hushdeck/machine, or $HUSHDECK_MACHINE).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a build/bin/Hushdeck "$@"
fi
exec build/bin/Hushdeck "$@"
