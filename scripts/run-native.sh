#!/usr/bin/env bash
# Builds the native Linux program (build/release/app/sdl/ringvoyage) and runs
# it; `scripts/run.sh --native` comes here.
#
# With a reachable X display (DISPLAY) the program simply runs in the
# foreground until it is closed. Without one it runs on the virtual display
# for a few seconds, prints the frame-rate readouts of its title, saves a
# screenshot to build/run-shot-native.png and ends the journey with Esc.
#
# Usage: scripts/run.sh --native [seconds]  (or RINGVOYAGE_RUN_SECONDS; default 8)
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

seconds="${1:-${RINGVOYAGE_RUN_SECONDS:-8}}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ] || [ "$seconds" -gt 3600 ]; then
    echo "usage: $0 --native [seconds 1..3600]" >&2
    exit 1
fi

scripts/deps.sh native
# One line for the build; its output goes to a log, shown when it fails.
log="$repo/build/release-build.log"
printf 'building the native program ... '
start=$SECONDS
if ! { cmake --preset release && cmake --build --preset release -j2 --target ringvoyage; } \
    >"$log" 2>&1 </dev/null; then
    echo "failed; the build's log: $log"
    grep -m 10 -iE 'error' "$log" >&2 || true
    exit 1
fi
echo "done in $((SECONDS - start)) s"
program="$repo/build/release/app/sdl/ringvoyage"

source scripts/lib/display.sh
source scripts/lib/xwin.sh
source scripts/lib/demo.sh
if [ -n "${DISPLAY:-}" ] && ringvoyage_display_answers "$DISPLAY"; then
    echo "Running on $DISPLAY; press Esc or close the window to end."
    exec "$program"
fi

if [ -n "${DISPLAY:-}" ]; then
    echo "DISPLAY $DISPLAY does not answer; using a virtual display" >&2
fi
unset DISPLAY
program_pid=""
RINGVOYAGE_XVFB_PID=""
trap 'ringvoyage_demo_stop "$program_pid"' EXIT
ringvoyage_start_xvfb || exit 1

"$program" </dev/null &
program_pid=$!
ringvoyage_demo ringvoyage "$program_pid" "$seconds" "$repo/build/run-shot-native.png"
