#!/usr/bin/env bash
# Installs, idempotently, every package the builds and the tests need on
# Debian. The 32-bit Wine packages are installed only where this host runs
# 32-bit code (scripts/host.sh); the x86_64 Windows build's are always. Then
# the browser tests' npm packages, exactly as package-lock.json locks them.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/host.sh"

PACKAGES=(
  cmake make g++ git python3 clang-format
  googletest libbenchmark-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 libgl1 libgl1-mesa-dri nsis
  xvfb xdotool x11-utils imagemagick
  libsdl2-dev libsdl2-image-dev libgl-dev libglu1-mesa-dev libegl-dev libx11-dev openbox
  dpkg-dev lintian xscreensaver xscreensaver-gl procps
  emscripten nodejs chromium
  pkg-config libwayland-dev libwayland-bin wayland-protocols
  sway swayidle grim wtype wayland-utils
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
# Debian packs npm apart from nodejs; other builds of nodejs bring their own.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "deps: installing ${missing[*]}" >&2
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# npm ci starts node_modules afresh, so it runs only when the lock file has
# changed since the last install.
web_tests="$repo/tests/web"
stamp="$web_tests/node_modules/.package-lock.sha256"
locked="$(sha256sum "$web_tests/package-lock.json" | cut -d' ' -f1)"
if [ "$(cat "$stamp" 2>/dev/null || true)" != "$locked" ]; then
  echo "deps: npm ci in tests/web" >&2
  (cd "$web_tests" && npm ci --no-audit --no-fund --loglevel=error)
  echo "$locked" >"$stamp"
fi
