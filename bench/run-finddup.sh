#!/usr/bin/env bash
# The duplicate-scan benchmark: installs jdupes when it is missing, builds the benchmark in an optimised build
# of its own, makes (once) two trees with make-tree.py, 2,000 x 100 and 4,000 x 100 files, and runs the scan
# against jdupes and find on them. Trees go to $HUSHDECK_BENCH_TREES (default /tmp/hushdeck-bench) and are kept:
# the same arguments always give the same tree.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)

scripts/install-packages.sh jdupes >/dev/null

maketree=""
for candidate in "$src/../shared/bench/make-tree.py" "$src/../../shared/bench/make-tree.py"; do
    [ -f "$candidate" ] && maketree=$candidate && break
done
[ -n "$maketree" ] || { echo "make-tree.py not found beside the checkout" >&2; exit 2; }

build=${HUSHDECK_BENCH_BUILD:-$src/build-bench}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j3 --target bench_finddup >/dev/null

trees=${HUSHDECK_BENCH_TREES:-/tmp/hushdeck-bench}
mkdir -p "$trees"
for dirs in 2000 4000; do
    tree="$trees/tree-${dirs}x100"
    if [ ! -f "$trees/tree-${dirs}x100.manifest.tsv" ]; then
        rm -rf "$tree"
        python3 "$maketree" "$tree" --dirs "$dirs" --files-per-dir 100
    fi
done

"$build/bench/bench_finddup" "$trees/tree-2000x100" "$trees/tree-4000x100"
