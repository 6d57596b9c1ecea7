#!/usr/bin/env bash
# scripts/run.sh falls back to its virtual display, saying why, when the caller's display is missing or answers
# nothing (a socket no one serves, a server that never replies), and uses a display that answers; relative
# settings name places from the folder it was started in. Runs the script's checks only (nothing is built).
# usage: run-display.sh SOURCE_FOLDER
set -euo pipefail
# shellcheck source=../../scripts/run.sh
source "$1/scripts/run.sh"

tmp=$(mktemp -d)
listener=
server=
cleanup() {
    if [ -n "$listener" ]; then kill "$listener" 2>/dev/null || true; fi
    if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
unset QT_QPA_PLATFORM

# Says what it found for the display $1.
expect() {
    local said
    said=$(DISPLAY=$1 display_problem)
    case $2 in
    "") [ -z "$said" ] || fail "DISPLAY=$1 answers, yet: $said" ;;
    *) [[ $said == *"$2"* ]] || fail "DISPLAY=$1: expected \"$2\", said \"$said\"" ;;
    esac
}

expect "" "DISPLAY is empty"
# A display number no local server has.
n=700
while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
expect ":$n" "does not answer"
# A server that takes the connection and never replies, as a forwarded port with nothing behind it.
python3 -c '
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(4)
print(s.getsockname()[1] - 6000, flush=True)
held = [s.accept()[0] for _ in range(4)]
time.sleep(60)' >"$tmp/port" &
listener=$!
for _ in $(seq 50); do [ -s "$tmp/port" ] && break; sleep 0.1; done
started=$SECONDS
expect "127.0.0.1:$(cat "$tmp/port")" "does not answer"
[ $((SECONDS - started)) -le 8 ] || fail "the check of a silent display took $((SECONDS - started)) s"
# A display that answers.
Xvfb -displayfd 3 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
server=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
expect ":$(cat "$tmp/display")" ""

cd "$tmp"
HUSHDECK_MACHINE=rel/machine
HUSHDECK_SCREENSHOT=shot.png
absolute_settings
[ "$HUSHDECK_MACHINE" = "$tmp/rel/machine" ] && [ "$HUSHDECK_SCREENSHOT" = "$tmp/shot.png" ] ||
    fail "relative settings became $HUSHDECK_MACHINE and $HUSHDECK_SCREENSHOT"
cd /
echo "PASS"
