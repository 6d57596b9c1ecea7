#!/usr/bin/env bash
# The folder scan's benchmark: installs the peer walkers from Debian (find, du, ncdu, gdu), builds the
# benchmark optimised, makes (once) two trees with make-tree.py (200,000 and 400,000 files) and runs the
# scan against the peers on both.
source "$(dirname "$0")/common.sh"
scripts/install-packages.sh findutils coreutils time ncdu gdu python3 >/dev/null
bench_build bench_foldersize
small=$(make_tree 2000)
large=$(make_tree 4000)
"$build/bench/bench_foldersize" "$small" "$large"
