#!/usr/bin/env bash
# Runs the Windows build of the helper under Wine and drives it with a Windows test program (driver/).
#   run-glasspan-wine.sh <source folder> <Glasspan.exe> <work folder>
# Wine gets a fresh private prefix in the work folder and an Xvfb display of its own, with the shell's
# desktop (explorer /desktop=...), whose taskbar window is what the helper makes translucent.
# Installs nothing: scripts/setup.sh installs wine, wine64, xvfb and xauth; without them this test fails.
set -euo pipefail

if [ "${1:-}" = "--on-display" ]; then
    shift
    exe=$1 work=$2
    source "$(dirname "$0")/wine-places.sh"
    # The helper's taskbar is the desktop's: Wine keeps its menu builder here, its menus in the work folder.
    wine_places "$work" menus
    # Everything Wine started in this prefix ends with the test, whatever its outcome.
    trap wine_places_end EXIT

    start=$(date +%s)
    timeout 180 wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed"; cat "$work/wineboot.log"; exit 1; }
    timeout 60 wineserver -w || true
    echo "Wine prefix ready in $(($(date +%s) - start)) s"

    wine explorer /desktop=hushdeck,1024x768 >"$work/explorer.log" 2>&1 &
    rc=0
    timeout 300 wine "$work/driver/glasspandriver.exe" "$(winepath -w "$exe")" 2>"$work/driver.log" || rc=$?
    if [ "$rc" -ne 0 ]; then
        echo "the driver ended with $rc; the desktop's output:"
        tail -n 20 "$work/explorer.log"
    fi
    exit "$rc"
fi

source=$1 exe=$2 work=$3
for tool in wine wineboot wineserver winepath xvfb-run xauth Xvfb x86_64-w64-mingw32-g++-posix; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: scripts/setup.sh installs it"
        exit 1
    fi
done
if [ ! -f "$exe" ]; then
    echo "$exe is missing: the test glasspan_windows_build makes it"
    exit 1
fi

rm -rf "$work/prefix" "$work/home"
mkdir -p "$work"
cmake -S "$source/tests/wine/driver" -B "$work/driver" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$source/helper/cross/mingw-w64.cmake" >"$work/driver-configure.log" ||
    { cat "$work/driver-configure.log"; exit 1; }
cmake --build "$work/driver"

exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" --on-display "$exe" "$work"
