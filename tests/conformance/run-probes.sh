#!/usr/bin/env bash
# Runs each conformance probe twice, its Windows build under Wine and its Linux build on a fresh simulated
# machine, and compares the outputs (compare.py, with the known Wine differences of wine-differences.txt).
#   run-probes.sh <source folder> <Linux probes> <Windows probes> <work folder> [probe name...]
# Wine gets a private prefix in the work folder (made anew, unless HUSHDECK_KEEP_PREFIX=1 and one is there) and
# a virtual display of its own. Installs nothing: scripts/setup.sh installs wine, xvfb and xauth.
set -euo pipefail

if [ "${1:-}" = "--on-display" ]; then
    shift
    source=$1 linux=$2 windows=$3 work=$4
    shift 4
    source "$source/tests/wine/wine-places.sh"
    wine_places "$work"
    # Wine names the profile after the host user; the machine's user is "User" whoever runs the probes.
    export USER=User LOGNAME=User
    # Whether the host lets this account raise a nice value again (root, or CAP_SYS_NICE): the stand-in's
    # priorities are the host's, and the probe names the answer in the keys of the lines that follow from it.
    if python3 -c 'import os; n = os.getpriority(os.PRIO_PROCESS, 0); os.setpriority(os.PRIO_PROCESS, 0, n + 1)
os.setpriority(os.PRIO_PROCESS, 0, n)' 2>/dev/null; then
        export HUSHDECK_PROBE_PRIORITY="host may raise"
    else
        export HUSHDECK_PROBE_PRIORITY="host may not raise"
    fi
    trap wine_places_end EXIT
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        start=$(date +%s)
        timeout 180 wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed"; cat "$work/wineboot.log"; exit 1; }
        timeout 60 wineserver -w || true
        echo "Wine prefix ready in $(($(date +%s) - start)) s"
    fi
    # Wine's relay trace records the Windows functions each probe calls (coverage.py reads it); only the calls
    # the probe itself makes, not those between Wine's own libraries nor those of Wine's own programs. Wine
    # reads the list of modules to trace from only when no list of modules to leave out is there (the prefix
    # comes with one).
    relay=$(printf '%s.exe;' "$@")
    timeout 60 wine reg add 'HKCU\Software\Wine\Debug' /v RelayFromInclude /t REG_SZ /d "${relay%;}" /f \
        >"$work/relay.log" 2>&1 || { echo "the relay set-up failed"; cat "$work/relay.log"; exit 1; }
    if timeout 60 wine reg query 'HKCU\Software\Wine\Debug' /v RelayFromExclude >>"$work/relay.log" 2>&1; then
        timeout 60 wine reg delete 'HKCU\Software\Wine\Debug' /v RelayFromExclude /f >>"$work/relay.log" 2>&1 ||
            { echo "the relay set-up failed"; cat "$work/relay.log"; exit 1; }
    fi
    failed=0 lines=0 excused=0 documented=0 departures=0
    for name in "$@"; do
        out="$work/$name"
        rm -rf "$out"
        mkdir -p "$out/machine" "$out/cwd"
        # The Linux build on a fresh machine of its own; the Windows build in the prefix.
        (cd "$out/cwd" && HUSHDECK_MACHINE="$out/machine" HUSHDECK_MACHINE_REQUIRED=1 timeout 120 "$linux/$name" \
            >"$out/stand-in.txt" 2>"$out/stand-in.log") || echo "$name (stand-in) ended with $?" >>"$out/stand-in.txt"
        (cd "$out/cwd" && WINEDEBUG=-all,+relay timeout 120 wine "$windows/$name.exe" >"$out/wine.txt" \
            2>"$out/wine.log") ||
            echo "$name (Wine) ended with $?" >>"$out/wine.txt"
        lines=$((lines + $(wc -l <"$out/stand-in.txt")))
        python3 "$source/tests/conformance/compare.py" "$source/tests/conformance/wine-differences.txt" "$name" \
            "$out/wine.txt" "$out/stand-in.txt" >"$out/compare.txt" || failed=$((failed + 1))
        cat "$out/compare.txt"
        count() { sed -n "1s/.* \([0-9][0-9]*\) $1.*/\1/p" "$out/compare.txt"; }
        k=$(count "known Wine differences") d=$(count "alike lines") o=$(count "open departures")
        excused=$((excused + ${k:-0})) documented=$((documented + ${d:-0})) departures=$((departures + ${o:-0}))
    done
    # After a run of every probe, an entry of a probe that no longer runs is stale too.
    if [ "${all_probes:-}" = 1 ]; then
        python3 "$source/tests/conformance/compare.py" --ran "$source/tests/conformance/wine-differences.txt" "$@" ||
            failed=$((failed + 1))
    fi
    echo "$# probes, $lines lines a side: $excused known Wine differences, $documented alike lines checked against the" \
        "documentation only, $departures open departures of the stand-in, the others alike;" \
        "$failed with unexplained differences (outputs in $work)"
    [ "$failed" -eq 0 ]
    exit $?
fi

source=$(realpath "$1") linux=$(realpath "$2") windows=$(realpath "$3") work=$(realpath -m "$4")
shift 4
for tool in wine wineboot wineserver xvfb-run xauth Xvfb python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: scripts/setup.sh installs it"
        exit 1
    fi
done
names=("$@")
# Every probe the sources hold (as CMake builds them); one whose build is missing fails the run.
export all_probes=0
if [ ${#names[@]} -eq 0 ]; then
    all_probes=1
    for src in "$source"/tests/conformance/probes/probe_*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
for name in "${names[@]}"; do
    for exe in "$linux/$name" "$windows/$name.exe"; do
        [ -f "$exe" ] || { echo "$exe is missing (build the probes, and conformance_windows_build)"; exit 1; }
    done
done
mkdir -p "$work"
[ "${HUSHDECK_KEEP_PREFIX:-}" = 1 ] || rm -rf "$work/prefix" "$work/home"
# Root passes over a file's missing write permission, which is how Wine keeps FILE_ATTRIBUTE_READONLY: run as
# root, both builds go without that bypass, so that they answer as for any other user (and as Windows does).
drop=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || { echo "setpriv is missing (util-linux)"; exit 1; }
    drop=(setpriv --inh-caps=-all --bounding-set=-dac_override,-dac_read_search,-fowner --)
fi
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "${drop[@]}" "$0" --on-display "$source" "$linux" \
    "$windows" "$work" "${names[@]}"
