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
#        scripts/run.sh --web: the web page, served on 127.0.0.1
#        (scripts/run-web.sh)
# RINGVOYAGE_NO_32BIT=1 runs the x86_64 program on any host.
set -euo pipefail

case "${1:-}" in
    --native) shift; exec "$(dirname "${BASH_SOURCE[0]}")/run-native.sh" "$@" ;;
    --web) shift; exec "$(dirname "${BASH_SOURCE[0]}")/run-web.sh" "$@" ;;
esac

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
    if [ -n "$wine_started" ]; then
        ringvoyage_wineserver -k >/dev/null 2>&1 </dev/null || true
        ringvoyage_wineserver -w >/dev/null 2>&1 </dev/null || true
    fi
    ringvoyage_demo_stop "$program_pid"
}
source scripts/lib/demo.sh
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

ringvoyage_demo Ringvoyage.exe "$program_pid" "$seconds" "$repo/build/run-shot.png" \
    ringvoyage_wine "$send_command" close
