# Sourced by the benchmark scripts: the optimised build they share, the project's tree generator and where
# the trees are kept.
#   environment: HUSHDECK_BENCH_BUILD (build folder, default build-release), TREES (where trees and inputs go,
#   default $TMPDIR/hushdeck-bench), MAKE_TREE (the tree generator, default bench/make-tree.py)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
src=$(pwd)
build=${HUSHDECK_BENCH_BUILD:-$src/build-release}
trees=${TREES:-${TMPDIR:-/tmp}/hushdeck-bench}
mkdir -p "$trees"

# bench_build TARGET...: the targets in an optimised build of their own.
bench_build() {
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j3 --target "$@" >/dev/null
}

# make_tree DIRS: the tree of DIRS folders of 100 files each, made once (the same arguments always give the
# same tree); prints its path.
make_tree() {
    local generator=${MAKE_TREE:-$src/bench/make-tree.py}
    [ -f "$generator" ] || { echo "$generator not found; set MAKE_TREE" >&2; exit 2; }
    local tree="$trees/tree-$1x100"
    if [ ! -f "$tree.manifest.tsv" ]; then
        rm -rf "$tree"
        python3 "$generator" "$tree" --dirs "$1" --files-per-dir 100 >&2
    fi
    echo "$tree"
}
