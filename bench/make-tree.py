#!/usr/bin/env python3
"""Makes a deterministic file tree for the benchmarks and the scan tests.

usage: make-tree.py DEST [--dirs N] [--files-per-dir M] [--blobs K] [--copy-share F] [--seed S]

DEST gets N folders, nested at most four deep, each holding M files of 0 to 16 KiB with the extensions of the
usual document, picture, sound, video and archive kinds. A share F of the files are exact copies of K shared
blobs, each copy with its blob's modification time, so that a duplicate scan has real groups to find. The same
arguments always make the same tree: names, sizes, contents and times. Beside DEST, <DEST>.manifest.tsv lists
every file's path, size and modification time, for checks that count without the scan.
"""
import argparse
import os
import random

EXTENSIONS = [".txt", ".doc", ".docx", ".pdf", ".xls", ".jpg", ".png", ".gif", ".bmp", ".svg", ".mp3", ".wav",
              ".flac", ".mp4", ".mkv", ".avi", ".zip", ".7z", ".tar", ".gz", ".iso", ".ttf", ".exe", ".msi",
              ".html", ".css", ".js", ".bak", ".obj", ".stl", ".dat", ".log"]
LARGEST = 16384
FIRST_TIME = 1_700_000_000  # seconds since 1970; times spread over the following 10,000,000 s
TIME_SPREAD = 10_000_000
MAX_DEPTH = 4
RECENT_PARENTS = 50  # a new folder goes below one of the last folders made, or at the top


def parse():
    ap = argparse.ArgumentParser(description="Makes a deterministic file tree.")
    ap.add_argument("dest")
    ap.add_argument("--dirs", type=int, default=2000)
    ap.add_argument("--files-per-dir", type=int, default=100)
    ap.add_argument("--blobs", type=int, default=5000)
    ap.add_argument("--copy-share", type=float, default=0.3)
    ap.add_argument("--seed", type=int, default=1)
    return ap.parse_args()


def depth_below(path, top):
    return path.count(os.sep) - top.count(os.sep)


def main():
    args = parse()
    rnd = random.Random(args.seed)

    # The shared blobs first, so that the folders' draws follow in the same order for every tree.
    blobs = []
    for _ in range(args.blobs):
        size = rnd.randint(0, LARGEST)
        blobs.append((rnd.randbytes(size), FIRST_TIME + rnd.randint(0, TIME_SPREAD), rnd.choice(EXTENSIONS)))

    os.makedirs(args.dest, exist_ok=True)
    folders = [args.dest]
    lines = []
    for d in range(args.dirs):
        candidates = [p for p in folders[-RECENT_PARENTS:] if depth_below(p, args.dest) < MAX_DEPTH]
        parent = rnd.choice(candidates) if d and candidates and rnd.random() < 0.6 else args.dest
        folder = os.path.join(parent, f"dir{d:05d}")
        os.makedirs(folder, exist_ok=True)
        folders.append(folder)
        for f in range(args.files_per_dir):
            if blobs and rnd.random() < args.copy_share:
                data, mtime, ext = blobs[rnd.randrange(len(blobs))]
            else:
                data = rnd.randbytes(rnd.randint(0, LARGEST))
                mtime = FIRST_TIME + rnd.randint(0, TIME_SPREAD)
                ext = rnd.choice(EXTENSIONS)
            path = os.path.join(folder, f"file{f:04d}{ext}")
            with open(path, "wb") as out:
                out.write(data)
            os.utime(path, (mtime, mtime))
            lines.append(f"{path}\t{len(data)}\t{mtime}\n")

    top = os.path.abspath(args.dest)
    manifest = os.path.join(os.path.dirname(top), os.path.basename(top) + ".manifest.tsv")
    with open(manifest, "w") as out:
        out.writelines(lines)
    print(f"{len(folders) - 1} folders, {len(lines)} files under {args.dest}; manifest {manifest}")


if __name__ == "__main__":
    main()
