# Windows on the X display, through xdotool: watching titles, finding a
# process's window, pressing Esc and waiting. Sourcing it only defines
# functions.

# Prints the title of window $1 each time it changes, for $2 seconds: the
# frame-rate readouts of a headless run.
ringvoyage_watch_titles() {
  local window="$1" seconds="$2" title last=""
  for _ in $(seq 1 $((seconds * 4))); do
    title="$(xdotool getwindowname "$window" 2>/dev/null || true)"
    if [ -n "$title" ] && [ "$title" != "$last" ]; then
      echo "  title: '$title'"
      last="$title"
    fi
    sleep 0.25
  done
}

# Presses Esc in window $1 and waits up to 60 s for process $2, a child of
# this shell, to end; sets RINGVOYAGE_EXIT_CODE, or fails if it runs on.
ringvoyage_escape_and_wait() {
  local window="$1" pid="$2"
  RINGVOYAGE_EXIT_CODE=""
  xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
  xdotool key Escape
  for _ in $(seq 1 300); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" && RINGVOYAGE_EXIT_CODE=0 || RINGVOYAGE_EXIT_CODE=$?
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# Prints the id of the visible window of process PID whose title matches
# REGEX; fails when the process ends first or after 60 s. --all: xdotool
# otherwise matches the pid OR the title.
ringvoyage_find_window() {
  local pid="$1" regex="$2" window
  for _ in $(seq 1 300); do
    window="$(xdotool search --all --onlyvisible --pid "$pid" --name "$regex" 2>/dev/null |
      head -n 1 || true)"
    if [ -n "$window" ]; then
      echo "$window"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
