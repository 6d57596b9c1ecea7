#!/usr/bin/env bash
# Builds the two programs (Hushdeck and Glasspan, not the tests) into build/, then starts Hushdeck on the default
# simulated machine (~/.local/share/hushdeck/machine, or $HUSHDECK_MACHINE). Without a display that answers it
# runs on a virtual display, and a screenshot of Hushdeck's window is saved a few seconds after the start
# ($HUSHDECK_SCREENSHOT, default build/screenshot.png); Ctrl+C ends Hushdeck, then the display. Debug lines are
# left out unless HUSHDECK_DEBUG=1.
# Relative HUSHDECK_MACHINE and HUSHDECK_SCREENSHOT name places from the folder the script was started in.
set -euo pipefail

# Relative settings name places from where the script was started, not from the clone it moves to.
absolute_settings() {
    if [ -n "${HUSHDECK_MACHINE:-}" ]; then
        HUSHDECK_MACHINE=$(realpath -ms -- "$HUSHDECK_MACHINE")
        export HUSHDECK_MACHINE
    fi
    if [ -n "${HUSHDECK_SCREENSHOT:-}" ]; then
        HUSHDECK_SCREENSHOT=$(realpath -ms -- "$HUSHDECK_SCREENSHOT")
    fi
}

# Why Hushdeck cannot be shown on the caller's display, or nothing when it can. Qt draws through X here (the X
# server of a Wayland session sets DISPLAY); a DISPLAY left from an ssh session without X forwarding, or one a
# container inherited, answers nothing, and Qt would abort on it.
display_problem() {
    if [ -n "${QT_QPA_PLATFORM:-}" ]; then
        return 0 # the caller chose where Qt draws
    elif [ -z "${DISPLAY:-}" ]; then
        echo "No desktop here (DISPLAY is empty)"
    elif ! timeout 5 xdpyinfo >/dev/null 2>&1; then
        echo "The display $DISPLAY does not answer (an ssh session without X forwarding, or a container?)"
    fi
}

# Hushdeck's window: the largest window shown on the display (a message box may be up beside it).
window_id() {
    local id best= area=0 w h
    for id in $(xwininfo -root -children | grep -o '^ *0x[0-9a-f]*'); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
        w=$(xwininfo -id "$id" | sed -n 's/^ *Width: //p')
        h=$(xwininfo -id "$id" | sed -n 's/^ *Height: //p')
        if [ $((${w:-0} * ${h:-0})) -gt "$area" ]; then best=$id area=$((w * h)); fi
    done
    echo "$best"
}

app=
xvfb=
work=
finish() {
    trap - INT TERM HUP EXIT
    if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then
        kill -TERM "$app" 2>/dev/null
        wait "$app" 2>/dev/null || true
    fi
    if [ -n "$xvfb" ]; then
        kill -TERM "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    if [ -n "$work" ]; then rm -rf "$work"; fi
}
stopped() {
    finish
    echo "Hushdeck stopped."
    exit 0
}

main() {
    absolute_settings
    cd "$(dirname "$0")/.."
    scripts/install-packages.sh
    local problem
    problem=$(display_problem)
    # The screenshot (finding the window, converting it to PNG) is needed only on the virtual display.
    if [ -n "$problem" ]; then scripts/install-packages.sh imagemagick; fi

    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=OFF >/dev/null
    fi
    echo "Building Hushdeck and Glasspan into build/ (the first build takes a few minutes; later ones only what changed)"
    cmake --build build -j"$(nproc)" --target Hushdeck Glasspan

    if [ "${HUSHDECK_DEBUG:-}" != 1 ]; then
        # Rules of the caller's own come after ours, so they still win.
        export QT_LOGGING_RULES="*.debug=false${QT_LOGGING_RULES:+;$QT_LOGGING_RULES}"
    fi

    if [ -z "$problem" ]; then
        exec build/bin/Hushdeck "$@"
    fi

    local shot=${HUSHDECK_SCREENSHOT:-$PWD/build/screenshot.png}
    echo "$problem: Hushdeck runs on a virtual display, which you cannot see; a screenshot of its window is saved"
    echo "in a few seconds. Press Ctrl+C to stop Hushdeck."

    # The display runs in a session of its own, so that Ctrl+C reaches this script alone: Hushdeck is ended first
    # and the display after it, rather than the display first under a Hushdeck that still draws on it.
    work=$(mktemp -d)
    setsid Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    trap stopped INT TERM HUP
    trap finish EXIT

    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        if ! kill -0 "$xvfb" 2>/dev/null; then
            echo "The virtual display did not start:" >&2
            cat "$work/xvfb.log" >&2
            exit 1
        fi
        sleep 0.1
    done
    [ -s "$work/display" ] || {
        echo "The virtual display did not start in 10 seconds." >&2
        exit 1
    }
    export DISPLAY=:$(cat "$work/display")

    build/bin/Hushdeck "$@" &
    app=$!
    sleep "${HUSHDECK_SCREENSHOT_DELAY:-5}"
    if kill -0 "$app" 2>/dev/null; then
        local id
        id=$(window_id)
        if [ -z "$id" ]; then
            echo "Hushdeck shows no window yet; no screenshot saved. Ctrl+C stops Hushdeck."
        elif xwd -id "$id" -silent | convert xwd:- "png:$shot" 2>/dev/null; then
            echo "Screenshot of the window saved: $shot. Ctrl+C stops Hushdeck."
        else
            shot=${shot%.png}.xwd
            xwd -id "$id" -silent -out "$shot"
            echo "Screenshot of the window saved: $shot (view it with: xwud -in $shot). Ctrl+C stops Hushdeck."
        fi
    fi
    local status=0
    wait "$app" || status=$?
    app=
    exit "$status"
}

# Sourced (by its test), it only defines the steps above.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; fi
