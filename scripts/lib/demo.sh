# The headless run of scripts/run.sh's programs: the program's window on the
# virtual display for a few seconds, its title's frame-rate readouts, a
# screenshot, then Esc. Uses lib/xwin.sh; sourcing it only defines functions.

# Runs the demo of process $2 (a child of this shell, called $1 in messages)
# for $3 seconds and saves the screenshot as $4. Should the program run on
# 60 s after Esc, the further arguments, if any, are a command that closes
# it. Prints how it ended; true when it exited with code 0.
ringvoyage_demo() {
  local name="$1" pid="$2" seconds="$3" shot="$4" window code
  shift 4
  if ! window="$(ringvoyage_find_window "$pid" '^ Ringvoyage')"; then
    if kill -0 "$pid" 2>/dev/null; then
      echo "$name showed no window within 60 s" >&2
    else
      wait "$pid" && code=0 || code=$?
      echo "$name ended before its window appeared (exit code $code)" >&2
    fi
    return 1
  fi
  echo "Window $window on $DISPLAY; watching it for $seconds s"
  ringvoyage_watch_titles "$window" "$seconds"
  import -window "$window" "$shot"
  # Esc ends the journey; the program then ends by itself.
  ringvoyage_escape_and_wait "$window" "$pid" || true
  code="$RINGVOYAGE_EXIT_CODE"
  if [ -z "$code" ]; then
    echo "$name did not end 60 s after Esc" >&2
    [ "$#" -gt 0 ] || return 1
    "$@" >/dev/null 2>&1 </dev/null || true
    wait "$pid" && code=0 || code=$?
  fi
  echo "$name exited with code $code"
  echo "Screenshot: $shot"
  [ "$code" -eq 0 ]
}

# Ends process $1 if it still runs (and any Esc held down) and the Xvfb this
# script started (RINGVOYAGE_XVFB_PID): for the exit trap.
ringvoyage_demo_stop() {
  xdotool keyup Escape >/dev/null 2>&1 || true
  if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
  fi
  if [ -n "${RINGVOYAGE_XVFB_PID:-}" ]; then
    kill "$RINGVOYAGE_XVFB_PID" 2>/dev/null || true
    wait "$RINGVOYAGE_XVFB_PID" 2>/dev/null || true
  fi
}
