#!/usr/bin/env bash
# Frame rate of the web page in headless Chromium against the native Linux
# program at the same size (800 x 600), each sampled from its title readout,
# in alternating rounds, since the machine is shared and noisy. The page runs
# once at the display's 60 Hz and once uncapped. The native program runs on
# an Xvfb display of its own. A measurement, not a test: nothing is asserted.
#
# Usage: tools/measure_web_fps.sh [rounds]   (RINGVOYAGE_MEASURE_SECONDS: 10)
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
rounds="${1:-2}"
seconds="${RINGVOYAGE_MEASURE_SECONDS:-10}"

scripts/build-web.sh >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target ringvoyage >/dev/null
native="$repo/build/release/app/sdl/ringvoyage"

xvfb_pid=""
program_pid=""
cleanup() {
    for pid in "$program_pid" "$xvfb_pid"; do
        if [ -n "$pid" ]; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}
trap cleanup EXIT

# A display number the server picks itself, so no other one is disturbed.
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n 1 "$display_file")"
rm -f "$display_file"

native_round() {
    "$native" >/dev/null 2>&1 &
    program_pid=$!
    local window="" rates=()
    for _ in $(seq 1 100); do
        window="$(xdotool search --all --onlyvisible --pid "$program_pid" --name 'Ringvoyage' \
            2>/dev/null | head -n 1)" && [ -n "$window" ] && break
        sleep 0.2
    done
    sleep 1.5
    for _ in $(seq 1 "$seconds"); do
        sleep 1
        local title
        title="$(xdotool getwindowname "$window" 2>/dev/null || true)"
        [[ "$title" =~ \ -\ ([0-9.e+]+)\ FPS$ ]] && rates+=("${BASH_REMATCH[1]}")
    done
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_pid=""
    local sorted
    sorted="$(printf '%s\n' "${rates[@]}" | sort -g | tr '\n' ' ')"
    echo "readouts: $sorted"
    echo "median $(printf '%s\n' "${rates[@]}" | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}') fps"
}

for round in $(seq 1 "$rounds"); do
    echo "== round $round: web page, headless Chromium, 60 Hz"
    node tools/web_fps.mjs build/web 800 600 "$seconds"
    echo "== round $round: native program, Xvfb"
    native_round
    echo "== round $round: web page, headless Chromium, uncapped"
    node tools/web_fps.mjs build/web 800 600 "$seconds" uncapped
done
