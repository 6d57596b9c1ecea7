#!/usr/bin/env bash
# The shredding benchmark: installs shred when missing, builds the benchmark optimised, makes (once) a
# deterministic 64 MiB input file where the trees go (TREES: a real disk, not a memory file system) and
# runs the engine and shred -n 3 on copies of it.
source "$(dirname "$0")/common.sh"
scripts/install-packages.sh coreutils time python3 >/dev/null
bench_build bench_securedelete

input="$trees/shred-input-64MiB.bin"
if [ ! -f "$input" ]; then
    python3 - "$input" <<'PY'
import random, sys
rnd = random.Random(1)
with open(sys.argv[1], "wb") as f:
    for _ in range(64):
        f.write(rnd.randbytes(1 << 20))
PY
fi
"$build/bench/bench_securedelete" "$input"
