#!/usr/bin/env bash
# Installs, idempotently, the Debian packages one part of the project needs,
# and nothing for the other parts:
#
#   scripts/deps.sh native    the native Linux program and its headless run
#   scripts/deps.sh windows   the Windows program of this host and Wine
#   scripts/deps.sh web       the web page and its headless screenshot
#   scripts/deps.sh package   the release packages (scripts/package.sh)
#   scripts/deps.sh test      all of these and every test (scripts/test.sh)
#
# Several targets may be named at once; --list prints the packages they
# want instead of installing them. The 32-bit Wine packages are wanted
# only where this host runs 32-bit code (scripts/host.sh). It prints one line
# per step; apt's own output goes to build/deps-apt.log, named when apt fails.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/host.sh"

# One list per target; a minimal Debian has none of these, not even `file`.
BUILD=(cmake make)
HEADLESS=(xvfb xdotool x11-utils imagemagick)
NATIVE=(
  g++ libsdl2-dev libsdl2-image-dev libgl-dev libglu1-mesa-dev libegl-dev libx11-dev
  libgl1-mesa-dri libegl-mesa0 pkg-config libwayland-dev libwayland-bin wayland-protocols
)
WINDOWS_I686=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
WINDOWS_X86_64=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
WINE=(wine libgl1 libgl1-mesa-dri)
WINE_64=(wine64)
WINE_32=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386)
WEB=(emscripten python3 chromium imagemagick)
PACKAGE=(nsis python3 file dpkg-dev)
TEST=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev clang-format python3
  openbox xscreensaver xscreensaver-gl lintian procps file
  nodejs sway swayidle grim wtype wayland-utils
)

usage() {
  echo "usage: $0 [--list] native|windows|web|package|test ..." >&2
  exit 2
}
list_only=""
if [ "${1:-}" = --list ]; then
  list_only=1
  shift
fi
[ "$#" -gt 0 ] || usage

wanted=()
what=""
npm_wanted=""
for target in "$@"; do
  case "$target" in
    native)
      wanted+=("${BUILD[@]}" "${NATIVE[@]}" "${HEADLESS[@]}")
      what+=", the native program"
      ;;
    windows)
      # run.sh builds and runs the one Windows program this host can run.
      wanted+=("${BUILD[@]}" "${WINE[@]}" "${HEADLESS[@]}")
      if ringvoyage_host_runs_32bit; then
        wanted+=("${WINDOWS_I686[@]}" "${WINE_32[@]}")
      else
        wanted+=("${WINDOWS_X86_64[@]}" "${WINE_64[@]}")
      fi
      what+=", the Windows program"
      ;;
    web)
      wanted+=("${BUILD[@]}" "${WEB[@]}")
      what+=", the web page"
      ;;
    package)
      wanted+=("${BUILD[@]}" "${NATIVE[@]}" "${WINDOWS_I686[@]}" "${WINDOWS_X86_64[@]}"
        "${PACKAGE[@]}")
      what+=", the packages"
      ;;
    test)
      wanted+=("${BUILD[@]}" "${NATIVE[@]}" "${HEADLESS[@]}" "${WINDOWS_I686[@]}"
        "${WINDOWS_X86_64[@]}" "${WINE[@]}" "${WINE_64[@]}" "${WEB[@]}" "${PACKAGE[@]}" "${TEST[@]}")
      if ringvoyage_host_runs_32bit; then
        wanted+=("${WINE_32[@]}")
      fi
      npm_wanted=1
      what+=", the tests"
      ;;
    *) usage ;;
  esac
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ -n "$list_only" ]; then
  printf '%s\n' "${wanted[@]}" | sort -u
  exit 0
fi

missing=()
for pkg in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
# Debian packs npm apart from nodejs; other builds of nodejs bring their own.
if [ -n "$npm_wanted" ] && ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

mkdir -p "$repo/build"
log="$repo/build/deps-apt.log"
if [ "${#missing[@]}" -gt 0 ]; then
  start=$SECONDS
  printf 'deps: installing %d packages for %s ... ' "${#missing[@]}" "${what#, }" >&2
  : >"$log"
  if ! {
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
      as_root dpkg --add-architecture i386
    fi
    as_root apt-get update &&
      as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -o DPkg::Lock::Timeout=900 \
        --no-install-recommends "${missing[@]}"
  } >>"$log" 2>&1 </dev/null; then
    error="$(grep -E '^E: ' "$log" | tail -n 1 || true)"
    echo "failed after $((SECONDS - start)) s: ${error:-apt failed}; apt's log: $log" >&2
    exit 1
  fi
  echo "done in $((SECONDS - start)) s" >&2
fi

# npm ci starts node_modules afresh, so it runs only when the lock file has
# changed since the last install.
if [ -n "$npm_wanted" ]; then
  web_tests="$repo/tests/web"
  stamp="$web_tests/node_modules/.package-lock.sha256"
  locked="$(sha256sum "$web_tests/package-lock.json" | cut -d' ' -f1)"
  if [ "$(cat "$stamp" 2>/dev/null || true)" != "$locked" ]; then
    start=$SECONDS
    npm_log="$repo/build/deps-npm.log"
    printf "deps: npm ci for the browser tests ... " >&2
    if ! (cd "$web_tests" && npm ci --no-audit --no-fund) >"$npm_log" 2>&1 </dev/null; then
      echo "failed after $((SECONDS - start)) s (npm's log: $npm_log)" >&2
      exit 1
    fi
    echo "$locked" >"$stamp"
    echo "done in $((SECONDS - start)) s" >&2
  fi
fi
