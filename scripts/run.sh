#!/usr/bin/env bash
# Builds Ringvoyage.exe and runs it under Wine: the i686 program where this
# host runs 32-bit code, otherwise the x86_64 one, saying which.
#
# With a reachable X display (DISPLAY) the program simply runs in the
# foreground until it is closed. Without one it runs on a virtual display for a
# few seconds, prints the frame-rate readouts of its title, saves a screenshot
# to build/run-shot.png and closes the program.
#
# Usage: scripts/run.sh [seconds]    (or RINGVOYAGE_RUN_SECONDS; default 8)
#        scripts/run.sh --native [seconds]: the native Linux program instead
#        (scripts/run-native.sh)
# RINGVOYAGE_NO_32BIT=1 runs the x86_64 program on any host.
#
# scripts/run.sh --web builds the web page and serves it on 127.0.0.1, on a
# free port, printing the address. With a display it serves until Ctrl-C;
# without one, headless Chromium takes a screenshot (build/web-shot.png) and
# the script ends.
set -euo pipefail

if [ "${1:-}" = --native ]; then
    shift
    exec "$(dirname "${BASH_SOURCE[0]}")/run-native.sh" "$@"
fi

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
source scripts/host.sh

run_web() {
    scripts/build-web.sh
    # Globals: the exit trap reads them after this function has returned.
    server_pid=""
    profile="$(mktemp -d)"
    # shellcheck disable=SC2317  # called by the trap
    stop_server() {
        if [ -n "$server_pid" ]; then
            kill "$server_pid" 2>/dev/null || true
            wait "$server_pid" 2>/dev/null || true
        fi
        rm -rf "$profile"
    }
    trap stop_server EXIT
    # Port 0: the system picks a free one, which the server then reports.
    python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$repo/build/web" \
        >"$profile/server.log" 2>&1 &
    server_pid=$!
    local port=""
    for _ in $(seq 1 100); do
        port="$(sed -nE 's/.* port ([0-9]+) .*/\1/p' "$profile/server.log" | head -n 1)"
        [ -n "$port" ] && break
        sleep 0.1
    done
    if [ -z "$port" ]; then
        echo "the web server did not start:" >&2
        cat "$profile/server.log" >&2
        return 1
    fi
    local address="http://127.0.0.1:$port/"
    echo "Ringvoyage in the browser: $address"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "Open the address in a browser; Ctrl-C stops the server."
        wait "$server_pid"
        return 0
    fi
    local shot="$repo/build/web-shot.png"
    rm -f "$shot"
    chromium --headless=new --no-sandbox --use-angle=swiftshader --enable-unsafe-swiftshader \
        --disable-background-networking --disable-component-update --disable-sync \
        --no-first-run --user-data-dir="$profile/chromium" --window-size=800,600 \
        --virtual-time-budget=4000 --screenshot="$shot" "$address" >/dev/null 2>&1 || true
    if [ ! -s "$shot" ]; then
        echo "headless Chromium took no screenshot" >&2
        return 1
    fi
    echo "Screenshot: $shot ($(identify -format '%w x %h' "$shot"), mean brightness" \
        "$(convert "$shot" -colorspace Gray -format '%[fx:round(100*mean)]' info:)%)"
}

if [ "${1:-}" = --web ]; then
    run_web
    exit 0
fi

seconds="${1:-${RINGVOYAGE_RUN_SECONDS:-8}}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ] || [ "$seconds" -gt 3600 ]; then
    echo "usage: $0 [seconds 1..3600]" >&2
    exit 1
fi

preset="$(ringvoyage_windows_preset)"
if [ "$preset" = mingw ]; then
    export RINGVOYAGE_WINE_ARCH=win32
    echo "$(ringvoyage_describe_host): running the i686 program"
else
    export RINGVOYAGE_WINE_ARCH=win64
    echo "$(ringvoyage_describe_host | sed 's/:.*//'): running the x86_64 program"
fi

# The release-* presets build the program without its tests.
scripts/deps.sh windows
cmake --preset "release-$preset" >/dev/null
cmake --build --preset "release-$preset" -j2 --target Ringvoyage send_command
exe="$repo/build/release-$preset/app/Ringvoyage.exe"
send_command="$repo/build/release-$preset/tests/drivers/win/send_command.exe"

# Whatever this script starts ends with it: the program, the Wine server and
# its helper processes (of a prefix used by this script alone, so that a test
# run's Wine is left alone), and an Xvfb it started.
program_pid=""
RINGVOYAGE_XVFB_PID=""
wine_started=""
cleanup() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        xdotool keyup Escape >/dev/null 2>&1 || true
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    if [ -n "$wine_started" ]; then
        ringvoyage_wineserver -k >/dev/null 2>&1 </dev/null || true
        ringvoyage_wineserver -w >/dev/null 2>&1 </dev/null || true
    fi
    if [ -n "$RINGVOYAGE_XVFB_PID" ]; then
        kill "$RINGVOYAGE_XVFB_PID" 2>/dev/null || true
        wait "$RINGVOYAGE_XVFB_PID" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    # A wineserver keeps the display it started with: the desktop gets its
    # own prefix, apart from the virtual display's.
    export RINGVOYAGE_WINE_ROOT="$repo/build/desktop"
    source "$repo/scripts/wine-env.sh"
    wine_started=1
    ringvoyage_init_prefix || exit 1
    echo "Running on $DISPLAY; close the window or press Esc to end."
    "$RINGVOYAGE_WINE_LOADER" "$exe" && exit 0 || exit $?
fi

# No usable display: use the project's virtual one (ringvoyage_wine_setup says
# why when DISPLAY is set).
export RINGVOYAGE_WINE_ROOT="$repo/build/run"
source "$repo/scripts/wine-env.sh"
wine_started=1
ringvoyage_wine_setup || exit 1

"$RINGVOYAGE_WINE_LOADER" "$exe" </dev/null >/dev/null 2>&1 &
program_pid=$!

if ! window="$(ringvoyage_find_window "$program_pid" '^ Ringvoyage')"; then
    if ! kill -0 "$program_pid" 2>/dev/null; then
        wait "$program_pid" && code=0 || code=$?
        echo "Ringvoyage.exe ended before its window appeared (exit code $code)" >&2
    else
        echo "Ringvoyage.exe showed no window within 60 s" >&2
    fi
    exit 1
fi

echo "Window $window on $DISPLAY; watching it for $seconds s"
ringvoyage_watch_titles "$window" "$seconds"

shot="$repo/build/run-shot.png"
import -window "$window" "$shot"

# Esc ends the journey; the program then closes by itself.
ringvoyage_escape_and_wait "$window" "$program_pid" || true
code="$RINGVOYAGE_EXIT_CODE"
if [ -z "$code" ]; then
    echo "No exit 60 s after Esc; sending WM_CLOSE" >&2
    ringvoyage_wine "$send_command" close >/dev/null 2>&1 </dev/null || true
    wait "$program_pid" && code=0 || code=$?
fi
program_pid=""
echo "Ringvoyage.exe exited with code $code"
echo "Screenshot: $shot"
[ "$code" -eq 0 ]
