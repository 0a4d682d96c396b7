#!/usr/bin/env bash
# The virtual display comes up even when a server that died left its socket
# and lock file behind, whoever the lock's pid now belongs to; a live server is
# reused, not replaced. Uses a display number of its own, one that no server,
# lock or socket holds (or the number given), so as not to disturb any other.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
num="${1:-}"
# A random start keeps two runs of this test at once apart.
for _ in $(seq 1 50); do
  [ -n "$num" ] && break
  try=$((200 + RANDOM % 800))
  [ -e "/tmp/.X$try-lock" ] || [ -e "/tmp/.X11-unix/X$try" ] || num="$try"
done
export RINGVOYAGE_XVFB_DISPLAY=":$num"
socket="/tmp/.X11-unix/X$num"
lock="/tmp/.X$num-lock"
failures=0
started=()

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

cleanup() {
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

# A listening-free socket file, as a killed server leaves it.
leave_stale_socket() {
  mkdir -p /tmp/.X11-unix
  rm -f "$socket"
  python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$socket"
}

start_and_check() {
  local case_name="$1"
  unset DISPLAY
  if ! ringvoyage_start_xvfb; then
    fail "$case_name: the display did not start"
    return
  fi
  started+=("$RINGVOYAGE_XVFB_PID")
  [ "$DISPLAY" = "$RINGVOYAGE_XVFB_DISPLAY" ] || fail "$case_name: DISPLAY is '$DISPLAY'"
  ringvoyage_display_answers "$DISPLAY" || fail "$case_name: no server answers on $DISPLAY"
  echo "ok: $case_name"
}

stop_started() {
  cleanup
  started=()
}

if ringvoyage_display_answers "$RINGVOYAGE_XVFB_DISPLAY"; then
  echo "display $RINGVOYAGE_XVFB_DISPLAY is in use; pass another number" >&2
  exit 2
fi

# 1. Socket and lock of a process that no longer exists.
leave_stale_socket
sleep 0.01 &
dead=$!
wait "$dead"
printf '%10d\n' "$dead" >"$lock"
start_and_check "lock of an ended process"
stop_started

# 2. The lock's pid now belongs to a live process that is no X server.
leave_stale_socket
printf '%10d\n' "$$" >"$lock"
start_and_check "lock naming a process that is no X server"

# 3. A server that answers is used as it is: no second one is started.
first="${started[0]:-}"
start_and_check "an answering server"
[ -z "$RINGVOYAGE_XVFB_PID" ] || fail "a second server was started beside the answering one"
[ -n "$first" ] && kill -0 "$first" 2>/dev/null || fail "the answering server was replaced"
stop_started

# 4. A server killed without cleaning up whose parent has not reaped it yet:
# a zombie whose lock still names an Xvfb process. Its parent here is a
# sleep, which never reaps.
( ringvoyage_launch_xvfb "$RINGVOYAGE_XVFB_DISPLAY"
  echo "$RINGVOYAGE_XVFB_PID" >"$lock.test-pid.new" && mv "$lock.test-pid.new" "$lock.test-pid"
  exec sleep 60 ) &
reaper=$!
started+=("$reaper")
for _ in $(seq 1 1200); do
  [ -s "$lock.test-pid" ] && break
  sleep 0.1
done
zombie="$(cat "$lock.test-pid" 2>/dev/null)"
rm -f "$lock.test-pid"
[ -n "$zombie" ] || fail "the server to be killed did not start"
kill -9 "$zombie"
for _ in $(seq 1 50); do
  grep -q ') Z' "/proc/$zombie/stat" 2>/dev/null && break
  sleep 0.1
done
grep -q ') Z' "/proc/$zombie/stat" 2>/dev/null || fail "the killed server is no zombie"
[ -e "$socket" ] || fail "the killed server left no socket to clear"
start_and_check "lock of a killed, unreaped server"
stop_started

[ "$failures" -eq 0 ] && echo "PASS" || exit 1
