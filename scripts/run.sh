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
set -euo pipefail

if [ "${1:-}" = --native ]; then
    shift
    exec "$(dirname "${BASH_SOURCE[0]}")/run-native.sh" "$@"
fi

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
source scripts/host.sh

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

scripts/deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 --target Ringvoyage send_command
exe="$repo/build/$preset/app/Ringvoyage.exe"
send_command="$repo/build/$preset/tools/win/send_command.exe"

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
last=""
for _ in $(seq 1 $((seconds * 4))); do
    title="$(xdotool getwindowname "$window" 2>/dev/null || true)"
    if [ -n "$title" ] && [ "$title" != "$last" ]; then
        echo "  title: '$title'"
        last="$title"
    fi
    sleep 0.25
done

shot="$repo/build/run-shot.png"
import -window "$window" "$shot"

# Esc ends the journey; the program then closes by itself.
xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
xdotool key Escape
code=""
for _ in $(seq 1 300); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        wait "$program_pid" && code=0 || code=$?
        break
    fi
    sleep 0.2
done
if [ -z "$code" ]; then
    echo "No exit 60 s after Esc; sending WM_CLOSE" >&2
    ringvoyage_wine "$send_command" close >/dev/null 2>&1 </dev/null || true
    wait "$program_pid" && code=0 || code=$?
fi
program_pid=""
echo "Ringvoyage.exe exited with code $code"
echo "Screenshot: $shot"
[ "$code" -eq 0 ]
