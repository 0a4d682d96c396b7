#!/usr/bin/env bash
# Frame rates of the native program and of the x86_64 Windows program under
# Wine, both with an 800x600 picture on the virtual display, measured in turn
# (native, Windows, native, Windows) in one run; prints the medians of the
# title's readouts and their ratio. A measurement, not a test.
#
# Usage: tools/measure_hosts_fps.sh   (builds release and mingw64 first)
#        RINGVOYAGE_MEASURE_SECONDS (default 10) sets the sampling per turn.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native="$repo/build/release/app/sdl/ringvoyage"
exe="$repo/build/mingw64/app/Ringvoyage.exe"
send_command="$repo/build/mingw64/tests/drivers/win/send_command.exe"
seconds="${RINGVOYAGE_MEASURE_SECONDS:-10}"
for file in "$native" "$exe" "$send_command"; do
    if [ ! -f "$file" ]; then
        echo "missing $file (build the release and mingw64 presets first)" >&2
        exit 1
    fi
done

unset DISPLAY
export RINGVOYAGE_WINE_ARCH=win64
source "$repo/scripts/wine-env.sh"
ringvoyage_wine_setup || exit 1

pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    pid=""
}
trap cleanup EXIT

# Appends one readout a second for $seconds s to FILE.
sample() {
    local window="$1" file="$2" title
    sleep 1.5  # the first readout covers the start-up
    for _ in $(seq 1 "$seconds"); do
        sleep 1
        title="$(xdotool getwindowname "$window" 2>/dev/null || true)"
        if [[ "$title" =~ \ -\ ([0-9.e+]+)\ FPS$ ]]; then
            echo "${BASH_REMATCH[1]}" >>"$file"
        fi
    done
}

# The size of Wine's client child window of WINDOW, as "width height".
client_size() {
    xwininfo -children -id "$1" | awk '/^ +0x/ { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+[+-]/) {
        split($i, a, "[x+-]"); print a[1], a[2]; exit } }'
}

median() {
    sort -g "$1" | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print 0; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

native_samples="$(mktemp)"
windows_samples="$(mktemp)"
for turn in 1 2; do
    "$native" </dev/null >/dev/null 2>&1 &
    pid=$!
    window="$(ringvoyage_find_window "$pid" '^ Ringvoyage')"
    echo "turn $turn: native, client $(xwininfo -id "$window" | awk '/Width/ {w=$2} /Height/ {print w "x" $2}')"
    sample "$window" "$native_samples"
    cleanup

    "$RINGVOYAGE_WINE_LOADER" "$exe" </dev/null >/dev/null 2>&1 &
    pid=$!
    window="$(ringvoyage_find_window "$pid" '^ Ringvoyage')"
    # The client area is Wine's child window; grow the frame until it is 800x600.
    read -r cw ch < <(xwininfo -children -id "$window" | client_size "$window")
    ringvoyage_wine "$send_command" size $((800 + 800 - cw)) $((600 + 600 - ch)) >/dev/null 2>&1 </dev/null
    sleep 1
    read -r cw ch < <(xwininfo -children -id "$window" | client_size "$window")
    echo "turn $turn: Windows x86_64 under Wine, client ${cw}x${ch}"
    sample "$window" "$windows_samples"
    ringvoyage_wine "$send_command" close >/dev/null 2>&1 </dev/null || true
    sleep 1
    cleanup
done
native_fps="$(median "$native_samples")"
windows_fps="$(median "$windows_samples")"
echo "native ringvoyage:      median $native_fps FPS over $(wc -l <"$native_samples") readouts"
echo "Ringvoyage.exe (Wine):  median $windows_fps FPS over $(wc -l <"$windows_samples") readouts"
awk -v n="$native_fps" -v w="$windows_fps" 'BEGIN { if (w > 0) printf "ratio native / Wine: %.2f\n", n / w }'
rm -f "$native_samples" "$windows_samples"
