#!/usr/bin/env bash
# The folder scan's benchmark: installs the peer walkers from Debian (find, du, ncdu, gdu), builds the
# benchmark optimised, makes two trees with make-tree.py (200,000 and 400,000 files; kept for later runs,
# since the same arguments always give the same tree) and runs the scan against the peers on both.
# usage: bench/run-foldersize.sh     environment: TREES (where the trees go), MAKE_TREE (the generator)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh findutils coreutils ncdu gdu python3

make_tree=${MAKE_TREE:-}
for candidate in ../shared/bench/make-tree.py ../../shared/bench/make-tree.py; do
    [ -z "$make_tree" ] && [ -f "$candidate" ] && make_tree=$candidate
done
[ -n "$make_tree" ] || { echo "make-tree.py not found; set MAKE_TREE" >&2; exit 2; }

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j3 --target bench_foldersize

trees=${TREES:-${TMPDIR:-/tmp}/hushdeck-bench-foldersize}
mkdir -p "$trees"
for tree in "t200 2000" "t400 4000"; do
    set -- $tree
    if [ ! -f "$trees/$1.manifest.tsv" ]; then
        python3 "$make_tree" "$trees/$1" --dirs "$2" --files-per-dir 100
    fi
done

build-bench/bench/bench_foldersize "$trees/t200" "$trees/t400"
