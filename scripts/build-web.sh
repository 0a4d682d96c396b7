#!/usr/bin/env bash
# Builds the web page with Debian's emscripten into build/web/: the page, its
# program (the WebAssembly inside ringvoyage.js), the offline worker, the
# manifest and icons. Prints its size, gzipped as a server would send it.
# Safe to run again.
#
# Usage: scripts/build-web.sh [--no-deps]   (--no-deps: skip scripts/deps.sh)
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

if [ "${1:-}" != --no-deps ]; then
    scripts/deps.sh
fi
# Debian's emscripten finds its JavaScript modules (acorn) only here.
export NODE_PATH=/usr/share/nodejs

cmake --preset web >/dev/null
cmake --build --preset web -j2 --target web_page

page="$repo/build/web"
rm -rf "$page"
cp -r "$repo/build/web-build/app/web/page" "$page"

total=0
for path in "$page"/*; do
    size="$(gzip -9c "$path" | wc -c)"
    total=$((total + size))
    printf '  %-22s %7d bytes, %6d gzipped\n' "${path##*/}" "$(stat -c %s "$path")" "$size"
done
echo "web page: $page, $total bytes gzipped"
