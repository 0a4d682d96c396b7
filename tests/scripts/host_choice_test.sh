#!/usr/bin/env bash
# The scripts' choice of what this host can run: the i386 probe answers as the
# kernel does, and RINGVOYAGE_NO_32BIT=1 takes the no-32-bit path anywhere.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/host.sh"
failures=0
expect() {
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: '$2', expected '$3'"; failures=$((failures + 1)); fi
}

# The probe either runs and exits 0, or the kernel refuses it with "Exec
# format error" (126); any other outcome means the probe itself is broken.
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
ringvoyage_write_i386_probe >"$dir/probe"
chmod +x "$dir/probe"
"$dir/probe" 2>"$dir/err"
code=$?
if [ "$code" -eq 0 ]; then
  kernel=yes
else
  kernel=no
  expect "a refused probe fails with Exec format error" "$code $(grep -c 'Exec format error' "$dir/err")" "126 1"
fi
expect "the probe is 93 bytes, its whole loaded segment" "$(wc -c <"$dir/probe")" 93

unset RINGVOYAGE_NO_32BIT RINGVOYAGE_HOST_32BIT_TRIED
ringvoyage_host_runs_32bit && answer=yes || answer=no
expect "the host's answer is the kernel's" "$answer" "$kernel"
# Where the 32-bit loader of glibc is installed, it must agree.
if [ -x /lib/ld-linux.so.2 ]; then
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 && loader=yes || loader=no
  expect "the 32-bit loader agrees" "$answer" "$loader"
fi
if [ "$kernel" = yes ]; then
  expect "with 32-bit code: the i686 program runs" "$(ringvoyage_windows_preset)" mingw
  expect "the host line" "$(ringvoyage_describe_host)" "this host runs 32-bit code"
fi

# A probe the kernel refuses answers "no" on any host, for this process tree.
(
  failures=0
  ringvoyage_write_i386_probe() { printf '\x7fELF\x00\x00'; }
  unset RINGVOYAGE_HOST_32BIT_TRIED
  ringvoyage_host_runs_32bit && answer=yes || answer=no
  expect "a refused probe means no 32-bit code" "$answer $RINGVOYAGE_HOST_32BIT_TRIED" "no no"
  expect "the host line without the override" "$(ringvoyage_describe_host)" \
    "this host runs no 32-bit code: the i686 tests are skipped, the x86_64 build is tested"
  exit "$failures"
) || failures=$((failures + 1))

# The override wins over the probe and over an answer already found.
export RINGVOYAGE_NO_32BIT=1 RINGVOYAGE_HOST_32BIT_TRIED=yes
ringvoyage_host_runs_32bit && answer=yes || answer=no
expect "RINGVOYAGE_NO_32BIT=1 means no 32-bit code" "$answer" no
expect "without 32-bit code: the x86_64 program runs" "$(ringvoyage_windows_preset)" mingw64
expect "the host line names the override" "$(ringvoyage_describe_host)" \
  "32-bit code is not used here (RINGVOYAGE_NO_32BIT=1): the i686 tests are skipped, the x86_64 build is tested"

# A Wine loader that is missing or cannot start is named, with what to
# install, instead of a bare exit code 126.
env_script="$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
bash -c 'set -euo pipefail; source "$1"; ringvoyage_wine_select win64; ringvoyage_wine_select win32' \
  _ "$env_script"
expect "both architectures can be selected under set -euo pipefail" "$?" 0
source "$env_script"
ringvoyage_wine_select win32
RINGVOYAGE_WINE_LOADER="$dir/missing"
message="$(ringvoyage_wine_check 2>&1)"
expect "a missing loader fails" "$?" 1
expect "a missing loader is named with its package" \
  "$(grep -c "loader $dir/missing is missing; install Debian's wine32:i386 package" <<<"$message")" 1
printf '#!/bin/sh\necho "Exec format error" >&2\nexit 126\n' >"$dir/refused"
chmod +x "$dir/refused"
RINGVOYAGE_WINE_LOADER="$dir/refused"
message="$(ringvoyage_wine_check 2>&1)"
expect "a loader that cannot start fails" "$?" 1
expect "it says the host runs no 32-bit code" \
  "$(grep -c "does not start (Exec format error); this host runs no 32-bit code" <<<"$message")" 1
exit $((failures > 0))
