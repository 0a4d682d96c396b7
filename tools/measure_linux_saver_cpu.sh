#!/usr/bin/env bash
# Measures the CPU the native program uses on the virtual display, in cores
# over a fixed time, at 800x600: as a screen-saver mode in another program's
# window (frames capped at the display's rate) and in its own window (frames
# as fast as they come). Prints both, with the frame rates the --fps readouts
# gave. A measurement, not a test: nothing is asserted.
#
# Usage: tools/measure_linux_saver_cpu.sh [ringvoyage [foreign_window]]
#        RINGVOYAGE_MEASURE_SECONDS (default 10) sets the sampling time.
# By default the optimised program of the deb preset and the test helper of
# the native build.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${1:-$repo/build/deb/app/sdl/ringvoyage}"
helper="${2:-$repo/build/native/tests/native/foreign_window}"
seconds="${RINGVOYAGE_MEASURE_SECONDS:-10}"
for file in "$program" "$helper"; do
    [ -x "$file" ] || { echo "missing $file: build the deb and native presets first" >&2; exit 1; }
done
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 2 ]; then
    echo "RINGVOYAGE_MEASURE_SECONDS must be a whole number of at least 2" >&2
    exit 1
fi

source "$repo/scripts/wine-env.sh"
ringvoyage_start_xvfb
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    [ -z "$RINGVOYAGE_XVFB_PID" ] || kill "$RINGVOYAGE_XVFB_PID" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# User plus system time of pid $1 in clock ticks.
ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# Runs the program with the given arguments, lets it settle, then prints the
# cores it used over the sampling time and the median readout.
measure() {
    local name="$1"
    shift
    "$program" "$@" --fps >"$work/$name.out" 2>"$work/$name.err" &
    local pid=$!
    pids+=("$pid")
    sleep 3
    local before after
    before="$(ticks "$pid")"
    : >"$work/$name.out"
    sleep "$seconds"
    after="$(ticks "$pid")"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    local rate
    rate="$(sed -nE 's/.* - ([0-9.e+]+) FPS$/\1/p' "$work/$name.out" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "none" }')"
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" -v n="$name" -v r="$rate" \
        'BEGIN { printf "%-34s %.2f cores over %d s, median %s FPS\n", n, t / hz / s, s, r }'
}

coproc HELPER { exec "$helper" 800 600; }
pids+=("$HELPER_PID")
read -r window <&"${HELPER[0]}"
echo "display $DISPLAY, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
measure "capped: --window-id (saver mode)" --window-id "$window"
measure "uncapped: --window (own window)" --window
