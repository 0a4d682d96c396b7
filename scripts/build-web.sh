#!/usr/bin/env bash
# Builds the web page with Debian's emscripten into build/web/: index.html,
# ringvoyage.js and ringvoyage.wasm, all the page needs. Prints its size,
# gzipped as a server would send it. Safe to run again.
#
# Usage: scripts/build-web.sh [--no-deps]   (--no-deps: skip scripts/deps.sh)
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

if [ "${1:-}" != --no-deps ]; then
    scripts/deps.sh web
fi
# Debian's emscripten finds its JavaScript modules (acorn) only here.
export NODE_PATH=/usr/share/nodejs

cmake --preset release-web >/dev/null
cmake --build --preset release-web -j2 --target ringvoyage_web

page="$repo/build/web"
built="$repo/build/release-web/app/web"
rm -rf "$page"
mkdir -p "$page"
cp "$built/index.html" "$built/ringvoyage.js" "$built/ringvoyage.wasm" "$page/"

total=0
for file in index.html ringvoyage.js ringvoyage.wasm; do
    size="$(gzip -9c "$page/$file" | wc -c)"
    total=$((total + size))
    printf '  %-16s %7d bytes, %6d gzipped\n' "$file" "$(stat -c %s "$page/$file")" "$size"
done
echo "web page: $page, $total bytes gzipped"
