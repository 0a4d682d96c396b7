#!/usr/bin/env bash
# Installs, idempotently, every package the builds and the tests need on
# Debian. The 32-bit Wine packages are installed only where this host runs
# 32-bit code (scripts/host.sh); the x86_64 Windows build's are always.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/host.sh"

PACKAGES=(
  cmake make g++ git python3 clang-format
  googletest libbenchmark-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 libgl1 libgl1-mesa-dri
  xvfb xdotool x11-utils imagemagick
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev
)
I386_PACKAGES=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

wanted=("${PACKAGES[@]}")
if ringvoyage_host_runs_32bit; then
  wanted+=("${I386_PACKAGES[@]}")
fi

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "deps: installing ${missing[*]}" >&2
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
