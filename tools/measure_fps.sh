#!/usr/bin/env bash
# Measures frame rates under Wine on the virtual display: Ringvoyage.exe and
# the clear-and-swap baseline, each at 800x600 for a while, sampling the
# title's "... - <n> FPS" readout once per second. Prints both medians and
# their ratio. A measurement, not a test: nothing is asserted.
#
# Usage: tools/measure_fps.sh [Ringvoyage.exe [clear_swap.exe [send_command.exe]]]
#        RINGVOYAGE_MEASURE_SECONDS (default 20) sets the sampling time.
# By default it measures the i686 build where this host runs 32-bit code and
# the x86_64 build elsewhere; RINGVOYAGE_WINE_ARCH=win64 picks the latter for
# executables given as arguments.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/host.sh"
if [ -z "${RINGVOYAGE_WINE_ARCH:-}" ] && [ "$(ringvoyage_windows_preset)" = mingw64 ]; then
    export RINGVOYAGE_WINE_ARCH=win64
fi
build="$repo/build/mingw"
[ "${RINGVOYAGE_WINE_ARCH:-win32}" = win32 ] || build="$repo/build/mingw64"
program="${1:-$build/app/Ringvoyage.exe}"
baseline="${2:-$build/tools/win/clear_swap.exe}"
send_command="${3:-$build/tests/drivers/win/send_command.exe}"
seconds="${RINGVOYAGE_MEASURE_SECONDS:-20}"

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 2 ]; then
    echo "RINGVOYAGE_MEASURE_SECONDS must be a whole number of at least 2" >&2
    exit 1
fi
for file in "$program" "$baseline" "$send_command"; do
    if [ ! -f "$file" ]; then
        echo "missing $file (build the mingw preset first)" >&2
        exit 1
    fi
done

# Always the virtual display, so that numbers are comparable between runs.
unset DISPLAY
source "$repo/scripts/wine-env.sh"
ringvoyage_wine_setup || exit 1

pid=""
cleanup() {
    xdotool keyup Escape >/dev/null 2>&1 || true
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

# median FILE: the median of the numbers in FILE, one per line.
median() {
    sort -g "$1" | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "none"; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# measure NAME EXE TITLE-REGEX: prints the readouts and leaves the median in
# the variable result.
measure() {
    local name="$1" exe="$2" title_regex="$3"
    local samples
    samples="$(mktemp)"
    "$RINGVOYAGE_WINE_LOADER" "$exe" </dev/null >/dev/null 2>&1 &
    pid=$!
    local window
    if ! window="$(ringvoyage_find_window "$pid" "$title_regex")"; then
        echo "$name: no window appeared" >&2
        rm -f "$samples"
        return 1
    fi
    echo "$name: sampling the title for $seconds s"
    # Skip the start-up second: its readout covers the first frames only.
    sleep 1.5
    local title
    for _ in $(seq 1 "$seconds"); do
        sleep 1
        title="$(xdotool getwindowname "$window" 2>/dev/null || true)"
        if [[ "$title" =~ \ -\ ([0-9.e+]+)\ FPS$ ]]; then
            echo "${BASH_REMATCH[1]}" >>"$samples"
            printf '  %s\n' "$title"
        fi
    done
    result="$(median "$samples")"
    echo "$name: median $result FPS over $(wc -l <"$samples") readouts"
    rm -f "$samples"
}

# stop WINDOW-CLOSER...: ends the current program, then kills it if it stays.
stop() {
    "$@" >/dev/null 2>&1 </dev/null || true
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cleanup
    pid=""
}

result=""
measure "Ringvoyage" "$program" '^ Ringvoyage'
program_fps="$result"
stop ringvoyage_wine "$send_command" close

measure "clear_swap" "$baseline" '^ clear_swap'
baseline_fps="$result"
stop xdotool search --all --pid "$pid" --name '^ clear_swap' windowfocus --sync key Escape

echo
echo "Ringvoyage median: $program_fps FPS"
echo "clear_swap median: $baseline_fps FPS"
awk -v p="$program_fps" -v b="$baseline_fps" 'BEGIN {
    if (p + 0 > 0) printf "ratio clear_swap / Ringvoyage: %.1f\n", b / p
    else print "ratio: no readouts from Ringvoyage" }'
