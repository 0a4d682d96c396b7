#!/usr/bin/env bash
# Builds the web page and serves it on 127.0.0.1, on a free port, printing the
# address; `scripts/run.sh --web` comes here. With a display it serves until
# Ctrl-C; without one, headless Chromium takes a screenshot
# (build/web-shot.png) and the script ends.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/build-web.sh

server_pid=""
profile="$(mktemp -d)"
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
port=""
for _ in $(seq 1 100); do
    port="$(sed -nE 's/.* port ([0-9]+) .*/\1/p' "$profile/server.log" | head -n 1)"
    [ -n "$port" ] && break
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "the web server did not start:" >&2
    cat "$profile/server.log" >&2
    exit 1
fi
address="http://127.0.0.1:$port/"
echo "Ringvoyage in the browser: $address"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Open the address in a browser; Ctrl-C stops the server."
    wait "$server_pid"
    exit 0
fi
shot="$repo/build/web-shot.png"
rm -f "$shot"
chromium --headless=new --no-sandbox --use-angle=swiftshader --enable-unsafe-swiftshader \
    --disable-background-networking --disable-component-update --disable-sync \
    --no-first-run --user-data-dir="$profile/chromium" --window-size=800,600 \
    --virtual-time-budget=4000 --screenshot="$shot" "$address" >/dev/null 2>&1 || true
if [ ! -s "$shot" ]; then
    echo "headless Chromium took no screenshot" >&2
    exit 1
fi
echo "Screenshot: $shot ($(identify -format '%w x %h' "$shot"), mean brightness" \
    "$(convert "$shot" -colorspace Gray -format '%[fx:round(100*mean)]' info:)%)"
