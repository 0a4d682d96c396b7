#!/usr/bin/env bash
# scripts/run.sh on a machine where DISPLAY does not answer and an X server
# that lets nobody in holds the virtual display's number: it says both, runs
# the program on a free display, and leaves nothing of its own running.
set -uo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$repo/scripts/wine-env.sh"
dir="$(mktemp -d)"
protected_pid=""
trap '[ -z "$protected_pid" ] || kill "$protected_pid"; rm -rf "$dir"' EXIT
failures=0
expect() {
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: '$2', expected '$3'"; failures=$((failures + 1)); fi
}

# The protected server: a cookie nobody else has.
python3 -c 'import os, struct, sys
field = lambda b: struct.pack(">H", len(b)) + b
open(sys.argv[1], "wb").write(struct.pack(">H", 0xFFFF) + field(b"") + field(b"")
                              + field(b"MIT-MAGIC-COOKIE-1") + field(os.urandom(16)))' "$dir/auth"
# Two numbers that no server, lock or socket holds; a random start keeps
# tests run at once apart.
free_numbers=()
start=$((200 + RANDOM % 700))
for n in $(seq "$start" $((start + 100))); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || free_numbers+=("$n")
done
protected=":${free_numbers[0]}"
dead=":${free_numbers[1]}"
Xvfb "$protected" -auth "$dir/auth" -nolisten tcp </dev/null >/dev/null 2>&1 &
protected_pid=$!
for _ in $(seq 1 600); do
  [ "$(tr -dc 0-9 2>/dev/null <"/tmp/.X${protected#:}-lock")" = "$protected_pid" ] && break
  sleep 0.1
done
ringvoyage_display_answers "$protected" && echo "FAIL: $protected lets us in" && exit 1

# The processes of this tree's Wine prefixes before the run.
wine_processes() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    if grep -zqF "WINEPREFIX=$repo/build/" "$environ" 2>/dev/null; then
      pid="${environ#/proc/}"
      pid="${pid%/environ}"
      echo "$pid $(cat "/proc/$pid/comm" 2>/dev/null)"
    fi
  done
}
wine_processes >"$dir/before"

RINGVOYAGE_XVFB_DISPLAY="$protected" DISPLAY="$dead" "$repo/scripts/run.sh" 1 >"$dir/out" 2>&1
expect "run.sh exits 0" "$?" 0
sed 's/^/    /' "$dir/out"
expect "the dead DISPLAY is named" "$(grep -c "^DISPLAY $dead does not answer; using a virtual display" "$dir/out")" 1
expect "the protected display is named" \
  "$(grep -c "^display $protected belongs to an X server that does not let us in" "$dir/out")" 1
used="$(sed -nE 's/^Window [0-9]+ on (:[0-9]+);.*/\1/p' "$dir/out")"
[ -n "$used" ] && [ "$used" != "$protected" ]
expect "the program ran on another display" "$?" 0

# Nothing of run.sh is left: no Xvfb on its display, no new process of a Wine
# prefix of this tree (wineserver, explorer.exe, ...). The protected server
# lives on.
ringvoyage_display_answers "$used" || [ -e "/tmp/.X${used#:}-lock" ]
expect "no server is left on $used" "$?" 1
wine_processes >"$dir/after"
expect "no process of its Wine prefix is left" "$(comm -13 <(sort "$dir/before") <(sort "$dir/after") | tr '\n' ' ')" ""
kill -0 "$protected_pid" 2>/dev/null
expect "the other server still runs" "$?" 0
exit $((failures > 0))
