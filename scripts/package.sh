#!/usr/bin/env bash
# Builds the release packages of both Windows builds in
# build/release-mingw/package/ and build/release-mingw64/package/: the zips
# (CPack), Ringvoyage-<version>-<arch>.zip, each holding the program, the
# screen saver and the user's readme, and the installers (makensis),
# Ringvoyage-<version>-<arch>-setup.exe; and the Debian package of the native
# program, build/deb/package/ringvoyage_<version>_<arch>.deb (CPack). The
# Windows builds are the release-* presets, without tests. Building needs no
# 32-bit code on the host.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/deps.sh package
for preset in release-mingw release-mingw64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 --target Ringvoyage RingvoyageSaver installer
    (cd "build/$preset" && cpack -G ZIP >/dev/null)
done
cmake --preset deb >/dev/null
cmake --build --preset deb -j2
(cd build/deb && cpack >/dev/null)
ls -1 build/release-mingw/package/*.zip build/release-mingw/package/*-setup.exe \
    build/release-mingw64/package/*.zip build/release-mingw64/package/*-setup.exe \
    build/deb/package/*.deb
