#!/usr/bin/env bash
# CPU of the screen saver's full-screen run (/s) under Wine on the virtual
# display: the saver's process and the Wine server, in cores over 10 s, and
# the frames it swapped per second (counted from Wine's +wgl trace).
#
# Usage: tools/measure_saver_cpu.sh [Ringvoyage.scr ...]   (default: the x86_64 build's)
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export RINGVOYAGE_WINE_ARCH=win64
source "$repo/scripts/wine-env.sh"
ringvoyage_wine_setup >/dev/null
[ "$#" -gt 0 ] || set -- "$repo/build/mingw64/app/Ringvoyage.scr"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
server="$(pgrep -n -f "$WINESERVER") " || { echo "no wineserver runs" >&2; exit 1; }
for scr in "$@"; do
    trace="$(mktemp)"
    WINEDEBUG=-all,+wgl "$RINGVOYAGE_WINE_LOADER" "$scr" /s </dev/null >"$trace" 2>&1 &
    pid=$!
    sleep 4  # past the start-up
    t0=$(ticks "$pid") s0=$(ticks $server) f0=$(grep -c SwapBuffers "$trace" || true)
    sleep 10
    t1=$(ticks "$pid") s1=$(ticks $server) f1=$(grep -c SwapBuffers "$trace" || true)
    hz=$(getconf CLK_TCK)
    awk -v p=$((t1 - t0)) -v s=$((s1 - s0)) -v f=$((f1 - f0)) -v hz="$hz" -v scr="$scr" \
        'BEGIN { printf "%s /s: process %.2f cores, wineserver %.2f cores, %.1f frames/s\n",
                 scr, p / hz / 10, s / hz / 10, f / 10 }'
    xdotool key space >/dev/null 2>&1 || true
    sleep 1
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -f "$trace"
done
