#!/usr/bin/env bash
# The main program's Windows side, as far as this machine reaches without a Qt for Windows:
# 1. every source of the main program compiles for Windows: MinGW-w64's Windows headers reached through the
#    platform door (platform/win32.h), with the Qt headers of the Linux build. An error inside those Qt
#    headers comes from their Linux configuration under a Windows target and is set aside; an error anywhere
#    else (our sources, our door, the Windows headers as we use them) fails the check. Nothing is linked.
# 2. every Windows function and interface id the compiled sources refer to is found in the system
#    libraries that the Windows branch of platform/CMakeLists.txt links (or in the compiler's runtime, or
#    in our own sources), so that a Windows link would not stop on a library missing from that list.
#   scripts/check-windows.sh [build folder]     (default: build, as scripts/setup.sh configures it)
# Each source gets its target's include folders and definitions from the build's compile database, and the
# moc/uic headers of its autogen folders. JOBS sets the number of parallel compilers (default: all cores).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
triplet=x86_64-w64-mingw32
cxx=$triplet-g++-posix
for tool in "$cxx" "$triplet-nm" jq ninja cmake; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/setup.sh installs it"; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || { echo "$build is not a configured build folder: run scripts/setup.sh"; exit 1; }

start=$(date +%s)
cmake -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "$build" >/dev/null
cmake --build "$build" --target Hushdeck >/dev/null

# What goes into Hushdeck.exe: the program's inputs, less what exists only on this host (the stand-in below
# the door, the image drawer run at build time) and the generated moc and resource sources. On Windows the
# door's own helpers (platform/win32.cpp) take the stand-in's place.
sources=$(ninja -C "$build" -t inputs Hushdeck | grep -E '\.cpp$' | grep -v -e "^$build/" -e '/platform/linux/' \
    -e '/resources/images/generator/' || true)
sources+=$'\n'"$PWD/platform/win32.cpp"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One command per source: the host compiler's command, with the Windows cross compiler, to an unoptimised
# object. A source with no entry of its own (the door's helpers) borrows the main program's.
database="$build/compile_commands.json"
main_command=$(jq -r --arg f "$PWD/app/main.cpp" '.[] | select(.file == $f) | .command' "$database")
n=0
while IFS= read -r src; do
    [ -n "$src" ] || continue
    command=$(jq -r --arg f "$src" '.[] | select(.file == $f) | .command' "$database" | head -1)
    if [ -z "$command" ]; then
        [ "$src" = "$PWD/platform/win32.cpp" ] || { echo "no compile command for $src"; exit 1; }
        command=${main_command/"$PWD/app/main.cpp"/"$src"}
    fi
    command=$(sed -E -e 's/^[^ ]+ //' -e 's/ -o [^ ]+/ /' -e 's/ -c / /' -e 's/ -(fPIC|g|O[0-9s])\b//g' <<<"$command")
    n=$((n + 1))
    printf '%s\n' "$src" >"$work/$n.src"
    printf '%s -c -O0 -g0 -DUNICODE -D_UNICODE -o %s %s\n' "$cxx" "$work/$n.o" "$command" >"$work/$n.cmd"
done <<<"$sources"

seq 1 "$n" | xargs -P "${JOBS:-$(nproc)}" -I{} sh -c 'eval "$(cat "$1/$2.cmd")" >"$1/$2.log" 2>&1; echo $? >"$1/$2.rc"' _ "$work" {}

# 1. Compiler errors. The commands' -isystem folders are Qt's.
qt_dirs=$(cat "$work"/*.cmd | grep -oE -- '-isystem [^ ]+' | awk '{print $2}' | sort -u)
failed=0 ours=0 qt=0
for i in $(seq 1 "$n"); do
    errors=$(grep -E '^[^ :]+:([0-9]+:)*( fatal)? error:' "$work/$i.log" || true)
    mine=""
    # A compiler that failed without saying where is a failure of ours too.
    if [ -z "$errors" ] && [ "$(cat "$work/$i.rc")" != 0 ]; then
        mine="the compiler failed"
        ours=$((ours + 1))
    fi
    while IFS= read -r line; do
        [ -n "$line" ] || continue
        file=${line%%:*}
        in_qt=false
        for dir in $qt_dirs; do
            case "$file" in "$dir"/*) in_qt=true ;; esac
        done
        if $in_qt; then
            qt=$((qt + 1))
        else
            mine+="$line"$'\n'
            ours=$((ours + 1))
        fi
    done <<<"$errors"
    if [ -n "$mine" ]; then
        failed=$((failed + 1))
        echo "== $(sed "s|^$PWD/||" "$work/$i.src")"
        cat "$work/$i.log"
    fi
done
echo "Windows compile: $n sources; $failed with $ours errors of ours; $qt errors inside Qt's Linux headers set aside"

# 2. Libraries. C-named references (Qt's and the C++ runtime's are mangled) that no object of ours defines.
libdir=/usr/$triplet/lib
shopt -s nullglob
objects=("$work"/*.o)
"$triplet-nm" --defined-only "${objects[@]}" 2>/dev/null | awk 'NF == 3 {print $3}' | sort -u >"$work/defined"
"$triplet-nm" -u "${objects[@]}" 2>/dev/null | awk '$1 == "U" {print $2}' | sed 's/^__imp_//' | grep -v '^_Z' |
    sort -u | comm -23 - "$work/defined" >"$work/wanted"
# The Windows branch's libraries, and the compiler's own runtime that every program links.
linked=$(sed -n '/^if(WIN32)/,/^else()/p' platform/CMakeLists.txt | tr '\n' ' ' | grep -o 'target_link_libraries([^)]*)' |
    tr ' ()' '\n\n\n' | grep -E '^[a-z0-9_]+$' | grep -vx -e target_link_libraries -e platform || true)
for lib in $linked mingw32 mingwex msvcrt moldname gcc gcc_eh pthread; do
    for archive in "$libdir/lib$lib.a" "$libdir/lib$lib.dll.a" $(dirname "$($cxx -print-libgcc-file-name)")/lib$lib.a; do
        if [ -f "$archive" ]; then "$triplet-nm" --defined-only "$archive" 2>/dev/null; fi
    done
done | awk 'NF == 3 {print $3}' | sed 's/^__imp_//' | sort -u >"$work/available"
missing=$(comm -23 "$work/wanted" "$work/available")
unlinked=0
if [ -n "$missing" ]; then
    # Which system library holds each: a Windows symbol lives in one; anything else is Qt's (whose C-named
    # symbols stay unresolved here) or no library's.
    "$triplet-nm" -A --defined-only "$libdir"/lib*.a 2>/dev/null |
        awk 'NF == 3 && $2 ~ /^[A-Z]$/ {sub(/^__imp_/, "", $3); sub(/:.*/, "", $1); n = split($1, p, "/"); print $3, p[n]}' |
        sort -u -k1,1 >"$work/index"
    for symbol in $missing; do
        home=$(awk -v s="$symbol" '$1 == s {print $2; exit}' "$work/index")
        if [ -n "$home" ]; then
            echo "$symbol is in $home, which the Windows branch of platform/CMakeLists.txt does not link"
            unlinked=$((unlinked + 1))
        elif [[ "$symbol" =~ ^(IID|CLSID|FOLDERID|GUID)_ ]]; then
            echo "$symbol is defined by no library: the door has to define it"
            unlinked=$((unlinked + 1))
        fi
    done
fi
echo "Windows libraries: $(wc -l <"$work/wanted") C-named references checked against: $(echo $linked);" \
    "$unlinked not found"

echo "Windows check took $(($(date +%s) - start)) s"
[ "$failed" -eq 0 ] && [ "$unlinked" -eq 0 ]
