#!/usr/bin/env bash
# Runs ctest in the current build folder (arguments go to ctest) with a fresh home and temporary folder of
# its own, and fails when the run failed or left anything in either: the tests keep to their own places
# and take what they made with them. The set-up and the build before it use the user's own home.
set -uo pipefail

# A runtime folder too, kept apart from the two it checks: where none is set, a program of Qt's makes its own
# in the temporary folder.
# The folders go with the run whatever happened in it: a test ended by its time-out cannot take what it made
# with it, and that stays no longer than the run (which fails for the time-out).
home=$(mktemp -d) temp=$(mktemp -d) runtime=$(mktemp -d) log=$(mktemp)
trap 'rm -rf "$home" "$temp" "$runtime" "$log"' EXIT
HOME=$home TMPDIR=$temp XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen ctest "$@" | tee "$log"
rc=${PIPESTATUS[0]}
timedOut=$(sed -n 's/^.*Test *#[0-9]*: *\([^ ]*\) .*\*\*\*Timeout.*$/\1/p' "$log" | tr '\n' ' ')
left=$( (cd "$home" && find . -mindepth 1 -maxdepth 4 | sort | sed 's|^\.|    home |'; \
         cd "$temp" && find . -mindepth 1 -maxdepth 4 | sort | sed 's|^\.|    temporary folder |') )
if [ -n "$left" ]; then
    echo "The test run left these behind in its fresh home and temporary folder:"
    echo "$left"
    [ -z "$timedOut" ] || echo "(ended by their time-out, and so leaving what they had made: $timedOut)"
    [ "$rc" -ne 0 ] || rc=1
fi
exit "$rc"
