#!/usr/bin/env bash
# Builds the two programs like run.sh, then saves a picture of every page and dialog of Hushdeck, at 1024x640 and
# at 1400x900, into OUTDIR (default build/screenshots) on a fresh simulated machine under a virtual display.
# OUTDIR/tour-report.txt lists the texts and list cells cut short, designer placeholder texts and pictures, and
# pages or dialogs larger than the window.
# HUSHDECK_TOUR_SIZES="WxH,WxH" picks other window sizes. The pictures are taken by the developer program
# HushdeckTour (tests/tour), which runs Hushdeck's own start-up; Hushdeck itself has no tour in it.
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(realpath -m "${1:-build/screenshots}")
scripts/install-packages.sh

if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=OFF >/dev/null
fi
echo "Building Hushdeck, Glasspan and the tour into build/ (the first build takes a few minutes; later ones only what changed)"
cmake --build build -j"$(nproc)" --target Hushdeck Glasspan HushdeckTour

machine=$(mktemp -d)
trap 'rm -rf "$machine"' EXIT
mkdir -p "$out"
rm -f "$out"/*.png "$out/tour-report.txt" "$out/tour.log"

echo "Taking the pictures into $out"
HUSHDECK_MACHINE="$machine" \
    QT_LOGGING_RULES="*.debug=false" \
    xvfb-run -a -s "-screen 0 1920x1080x24" build/devtools/HushdeckTour "$out" \
    "${HUSHDECK_TOUR_SIZES:-1024x640,1400x900}" >"$out/tour.log" 2>&1 || {
    echo "The tour failed; its output is in $out/tour.log" >&2
    exit 1
}

pictures=$(find "$out" -maxdepth 1 -name '*.png' | wc -l)
findings=$(($(wc -l <"$out/tour-report.txt") - 1))
echo "$pictures pictures in $out"
echo "$findings findings: texts or cells cut short, placeholders, pages or dialogs larger than the window (listed in $out/tour-report.txt)"
