#!/usr/bin/env bash
# scripts/screenshots.sh OUTDIR keeps what it did not write: a picture of the user's in OUTDIR, or one of the
# same name as a new picture, outlives every run; the pictures of a run are replaced by the next one's.
# Runs the script's file steps on staged files (the tour itself is not run).
# usage: screenshots-folder.sh SOURCE_FOLDER
set -euo pipefail
# shellcheck source=../../scripts/screenshots.sh
source "$1/scripts/screenshots.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
out=$tmp/Pictures
mkdir -p "$out"
fail() { echo "FAIL: $*" >&2; exit 1; }
# One run's steps: the tour's files ($@) staged, the previous run's removed, the new ones moved in.
run() {
    local stage name
    stage=$(mktemp -d "$out/.hushdeck-screenshots.XXXXXX")
    for name in "$@"; do echo "new $name" >"$stage/$name"; done
    remove_previous "$out"
    keep_new "$out" "$stage" 2>"$tmp/said"
    rm -rf "$stage"
}

echo "holiday" >"$out/holiday.png"
echo "mine" >"$out/taken.png"
ln -s holiday.png "$out/link.png"
run first.png taken.png tour-report.txt
[ "$(cat "$out/holiday.png")" = holiday ] || fail "the user's picture was removed or changed"
[ "$(cat "$out/taken.png")" = mine ] || fail "a picture of the user's was replaced by one of the same name"
[ -L "$out/link.png" ] || fail "the user's link was removed"
grep -q "taken.png" "$tmp/said" || fail "a picture left out was not named: $(cat "$tmp/said")"
[ "$(cat "$out/first.png")" = "new first.png" ] || fail "the run's picture did not arrive"

run second.png tour-report.txt
[ ! -e "$out/first.png" ] || fail "the previous run's picture stayed"
[ "$(cat "$out/second.png")" = "new second.png" ] && [ "$(cat "$out/tour-report.txt")" = "new tour-report.txt" ] ||
    fail "the second run's files did not arrive"
[ "$(cat "$out/holiday.png")" = holiday ] && [ "$(cat "$out/taken.png")" = mine ] && [ -L "$out/link.png" ] ||
    fail "a second run touched the user's files"
[ "$(find "$out" -mindepth 1 | wc -l)" -eq 6 ] || fail "unexpected files: $(ls -A "$out")"
echo "PASS"
