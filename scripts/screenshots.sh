#!/usr/bin/env bash
# Builds the two programs like run.sh, then saves a picture of every page and dialog of Hushdeck, at 1024x640 and
# at 1400x900, into OUTDIR (default build/screenshots) on a fresh simulated machine under a virtual display.
# OUTDIR/tour-report.txt lists the texts and list cells cut short, designer placeholder texts and pictures, and
# pages or dialogs larger than the window.
# HUSHDECK_TOUR_SIZES="WxH,WxH" picks other window sizes. The pictures are taken by the developer program
# HushdeckTour (tests/tour), which runs Hushdeck's own start-up; Hushdeck itself has no tour in it.
# OUTDIR may be a folder of the user's own (~/Pictures): a run lists the files it kept there in
# OUTDIR/.hushdeck-screenshots, and the next run replaces those and touches nothing else.
set -euo pipefail

manifest=.hushdeck-screenshots

# Removes the files the previous run listed: plain names of regular files in OUTDIR, never a link, a folder or
# a path leading elsewhere.
remove_previous() {
    local out=$1 name
    [ -f "$out/$manifest" ] || return 0
    while IFS= read -r name; do
        case $name in "" | */* | . | ..) continue ;; esac
        if [ -f "$out/$name" ] && [ ! -L "$out/$name" ]; then rm -f -- "$out/$name"; fi
    done <"$out/$manifest"
    rm -f -- "$out/$manifest"
}

# Moves what the tour wrote into its staging folder on to OUTDIR, then lists the file: a run cut short between
# the two leaves a file of its own unlisted, never one of the user's listed. A name OUTDIR already holds belongs
# to someone else (or to a version that kept no list): that file stays, and the new one is left out, with a word.
keep_new() {
    local out=$1 stage=$2 path name taken=0 first=
    for path in "$stage"/*; do
        [ -f "$path" ] || continue
        name=${path##*/}
        # Moved only where no file has the name (the source stays where it was): nothing is ever replaced.
        mv -n -- "$path" "$out/$name"
        if [ ! -e "$path" ]; then
            printf '%s\n' "$name" >>"$out/$manifest"
        else
            taken=$((taken + 1))
            first=${first:-$name}
        fi
    done
    if [ "$taken" -gt 0 ]; then
        echo "$taken new files left out ($first first): $out already holds files of those names that no run of" \
            "this script listed as its own; move them aside and run again." >&2
    fi
}

main() {
    cd "$(dirname "$0")/.."
    local out
    out=$(realpath -m "${1:-build/screenshots}")
    scripts/install-packages.sh

    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=OFF >/dev/null
    fi
    echo "Building Hushdeck, Glasspan and the tour into build/ (the first build takes a few minutes; later ones only what changed)"
    cmake --build build -j"$(nproc)" --target Hushdeck Glasspan HushdeckTour

    mkdir -p "$out"
    # The tour writes into a folder of this run's own beside the pictures (the moves are renames), never
    # straight into OUTDIR.
    machine=$(mktemp -d)
    stage=$(mktemp -d "$out/.hushdeck-screenshots.XXXXXX")
    trap 'rm -rf "$machine" "$stage"' EXIT

    echo "Taking the pictures into $out"
    local status=0
    HUSHDECK_MACHINE="$machine" \
        QT_LOGGING_RULES="*.debug=false" \
        xvfb-run -a -s "-screen 0 1920x1080x24" build/devtools/HushdeckTour "$stage" \
        "${HUSHDECK_TOUR_SIZES:-1024x640,1400x900}" >"$stage/tour.log" 2>&1 || status=$?
    remove_previous "$out"
    keep_new "$out" "$stage"
    if [ "$status" -ne 0 ]; then
        echo "The tour failed; its output is in $out/tour.log" >&2
        exit 1
    fi

    local pictures findings
    pictures=$(grep -c '\.png$' "$out/$manifest" || true)
    findings=$(($(wc -l <"$out/tour-report.txt") - 1))
    echo "$pictures pictures in $out"
    echo "$findings findings: texts or cells cut short, placeholders, pages or dialogs larger than the window (listed in $out/tour-report.txt)"
}

# Sourced (by its test), it only defines the steps above.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; fi
