#!/usr/bin/env bash
# Run as root: runs the README's test command a second time as an ordinary account (made when missing, with no
# password), in a clone of this checkout that the account owns, with a home and temporary folder of its own;
# fails when the run fails or leaves anything in either. The packages are installed already (by a run as
# root), so nothing in it needs root. Everything it made is removed afterwards; the account stays.
#   usage: scripts/test-ordinary-user.sh [ctest argument ...]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/test-ordinary-user.sh makes an account and runs the tests under it: run it as root"
    exit 1
fi
account=${HUSHDECK_TEST_ACCOUNT:-hushdeck-test}
if ! id -u "$account" >/dev/null 2>&1; then
    useradd --no-create-home --shell /bin/bash "$account"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
git clone -q "$PWD" "$work/src"
mkdir "$work/home" "$work/temp"
chown -R "$account:" "$work/src" "$work/home" "$work/temp"
rc=0
runuser -u "$account" -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" TMPDIR="$work/temp" \
    USER="$account" LOGNAME="$account" LANG=C.UTF-8 CI="${CI:-}" "$work/src/scripts/test.sh" "$@" || rc=$?
left=$( (cd "$work/home" && find . -mindepth 1 -maxdepth 4 | sort | sed 's|^\.|    home |'; \
         cd "$work/temp" && find . -mindepth 1 -maxdepth 4 | sort | sed 's|^\.|    temporary folder |') )
if [ -n "$left" ]; then
    echo "The run as $account left these behind in its home and temporary folder:"
    echo "$left"
    [ "$rc" -ne 0 ] || rc=1
fi
[ "$rc" -eq 0 ] && echo "The suite passed as the ordinary account $account."
exit "$rc"
