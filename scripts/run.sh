#!/usr/bin/env bash
# Builds the two programs (Hushdeck and Glasspan, not the tests) into build/, then starts Hushdeck on the default
# simulated machine (~/.local/share/hushdeck/machine, or $HUSHDECK_MACHINE). Without a desktop it runs on a
# virtual display, and a screenshot of that display is saved a few seconds after the start
# ($HUSHDECK_SCREENSHOT, default build/screenshot.png). Debug lines are left out unless HUSHDECK_DEBUG=1.
set -euo pipefail
cd "$(dirname "$0")/.."

headless=false
[ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && headless=true
# The screenshot's conversion to PNG is needed only without a desktop.
if $headless; then scripts/install-packages.sh imagemagick; else scripts/install-packages.sh; fi

if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=OFF >/dev/null
fi
echo "Building Hushdeck and Glasspan into build/ (the first build takes a few minutes; later ones only what changed)"
cmake --build build -j"$(nproc)" --target Hushdeck Glasspan

if [ "${HUSHDECK_DEBUG:-}" != 1 ]; then
    # Rules of the caller's own come after ours, so they still win.
    export QT_LOGGING_RULES="*.debug=false${QT_LOGGING_RULES:+;$QT_LOGGING_RULES}"
fi

if ! $headless; then
    exec build/bin/Hushdeck "$@"
fi

shot=${HUSHDECK_SCREENSHOT:-$PWD/build/screenshot.png}
echo "No desktop here (DISPLAY and WAYLAND_DISPLAY are empty): Hushdeck runs on a virtual display, which you"
echo "cannot see; a screenshot of it is saved in a few seconds. Press Ctrl+C to stop Hushdeck."
exec xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    shot=$1
    shift
    "$@" &
    app=$!
    sleep "${HUSHDECK_SCREENSHOT_DELAY:-5}"
    if kill -0 "$app" 2>/dev/null; then
        if command -v convert >/dev/null && xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$shot" 2>/dev/null; then
            echo "Screenshot saved: $shot. Ctrl+C stops Hushdeck."
        else
            shot=${shot%.png}.xwd
            xwd -root -silent -display "$DISPLAY" -out "$shot"
            echo "Screenshot saved: $shot (view it with: xwud -in $shot). Ctrl+C stops Hushdeck."
        fi
    fi
    wait "$app"
' run.sh "$shot" build/bin/Hushdeck "$@"
