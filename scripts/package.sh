#!/usr/bin/env bash
# Builds the release packages (CPack): the zips of both Windows builds,
# build/mingw/package/Ringvoyage-<version>-i686.zip and
# build/mingw64/package/Ringvoyage-<version>-x86_64.zip, each holding the
# program, the screen saver and the user's readme; and the Debian package of
# the native program, build/deb/package/ringvoyage_<version>_<arch>.deb.
# Building needs no 32-bit code on the host.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/deps.sh
for preset in mingw mingw64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 --target Ringvoyage RingvoyageSaver
    (cd "build/$preset" && cpack -G ZIP >/dev/null)
done
cmake --preset deb >/dev/null
cmake --build --preset deb -j2
(cd build/deb && cpack >/dev/null)
ls -1 build/mingw/package/*.zip build/mingw64/package/*.zip build/deb/package/*.deb
