#!/usr/bin/env bash
# What each entry point would install (deps.sh --list): only its own part,
# the 32-bit Wine only where it can run, and the test target all of it.
set -uo pipefail
deps="$(dirname "${BASH_SOURCE[0]}")/../../scripts/deps.sh"
failures=0
expect() {
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: '$2', expected '$3'"; failures=$((failures + 1)); fi
}
list() { "$deps" --list "$@" | tr '\n' ' '; }
# The packages of $2 that match the pattern $1.
matching() { tr ' ' '\n' <<<"$2" | grep -E "$1" | tr '\n' ' '; }

native="$(list native)"
expect "native wants the compiler, SDL2 and the headless run's tools" \
  "$(matching '^(g\+\+|libsdl2-dev|xvfb|xdotool|imagemagick)$' "$native")" "g++ imagemagick libsdl2-dev xdotool xvfb "
expect "native wants nothing of the other builds or the tests" \
  "$(matching 'mingw|wine|emscripten|chromium|nsis|gtest|gmock|node|lintian|xscreensaver|sway|grim' "$native")" ""
expect "the web page wants no Wine, MinGW or Xvfb" "$(matching 'wine|mingw|xvfb' "$(list web)")" ""

for no32 in 0 1; do
  export RINGVOYAGE_NO_32BIT=$no32
  unset RINGVOYAGE_HOST_32BIT_TRIED
  windows="$(list windows)"
  if [ "$no32" = 0 ] && source "$(dirname "$deps")/host.sh" && ringvoyage_host_runs_32bit; then
    expect "32-bit host: the i686 build and 32-bit Wine" "$(matching 'mingw|wine' "$windows")" \
      "binutils-mingw-w64-i686 g++-mingw-w64-i686-posix wine wine32:i386 "
  else
    expect "no 32-bit code: the x86_64 build and 64-bit Wine, nothing for i386" \
      "$(matching 'mingw|wine|i386' "$windows")" \
      "binutils-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine wine64 "
  fi
  # Whatever an entry point installs, the test command installs too.
  all="$(list test)"
  for target in native windows web package; do
    expect "test wants all that $target wants (RINGVOYAGE_NO_32BIT=$no32)" \
      "$(comm -23 <("$deps" --list "$target" | sort) <(tr ' ' '\n' <<<"$all" | sort))" ""
  done
done

"$deps" nonsense >/dev/null 2>&1
expect "an unknown target is refused" "$?" 2
exit $((failures > 0))
