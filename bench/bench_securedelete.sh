#!/usr/bin/env bash
# Shredding benchmark: installs the peer tools (coreutils' shred, secure-delete's srm), builds the benchmark,
# makes a deterministic 256 MiB input file on the disk of the build folder, and runs engine and peers on it.
# usage: bench/bench_securedelete.sh [BUILD-DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/install-packages.sh coreutils secure-delete python3

[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target bench_securedelete -j4

work="$build/bench/shred-work"
mkdir -p "$work"
input="$work/input-256MiB.bin"
if [ ! -f "$input" ]; then
    python3 - "$input" <<'PY'
import random, sys
rnd = random.Random(1)
with open(sys.argv[1], "wb") as f:
    for _ in range(256):
        f.write(rnd.randbytes(1 << 20))
PY
fi
"$build/bench/bench_securedelete" "$input"
