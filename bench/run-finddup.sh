#!/usr/bin/env bash
# The duplicate scan's benchmark: installs jdupes when missing, builds the benchmark optimised, makes (once)
# two trees with make-tree.py (200,000 and 400,000 files) and runs the scan against jdupes and find on them.
source "$(dirname "$0")/common.sh"
scripts/install-packages.sh jdupes findutils time python3 >/dev/null
bench_build bench_finddup
small=$(make_tree 2000)
large=$(make_tree 4000)
"$build/bench/bench_finddup" "$small" "$large"
