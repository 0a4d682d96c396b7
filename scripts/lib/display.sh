# The project's virtual display (Xvfb): whether a server answers, starting
# one, finding a free number. Sourcing it only defines functions.

# True when an X server answers on display $1. A server that resets when its
# last client leaves refuses connections for a moment (1 in 25 of them for a
# plain Xvfb), so a refusal is tried twice more.
ringvoyage_display_answers() {
  local try
  for try in 1 2 3; do
    DISPLAY="$1" xdpyinfo >/dev/null 2>&1 && return 0
    [ "$try" -eq 3 ] || sleep 0.2
  done
  return 1
}

# True when pid $1 is an X server that has not ended. The lock file's pid may,
# after a restore, belong to some other process, and a killed server stays a
# zombie until it is reaped.
ringvoyage_is_running_x_server() {
  local pid="$1" state
  [ -n "$pid" ] || return 1
  grep -qxE 'Xvfb|Xorg|X' "/proc/$pid/comm" 2>/dev/null || return 1
  state="$(sed -E 's/^.*\) ([A-Za-z]).*$/\1/' "/proc/$pid/stat" 2>/dev/null)" || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# Starts Xvfb on display $1 (":N") with any further Xvfb options and waits
# until it answers, for as long as it runs (up to 2 minutes): a loaded machine
# may take its time. The server's own lock file tells it apart from another
# server answering there. Sets RINGVOYAGE_XVFB_PID.
ringvoyage_launch_xvfb() {
  local display="$1" pid state
  shift
  RINGVOYAGE_XVFB_PID=""
  # -noreset: a server that resets after each last client refuses some
  # connections meanwhile.
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" \
    </dev/null >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 1200); do
    state="$(sed -E 's/^.*\) ([A-Za-z]).*$/\1/' "/proc/$pid/stat" 2>/dev/null)" || break
    [ "$state" != Z ] || break
    if [ "$(tr -dc 0-9 2>/dev/null <"/tmp/.X${display#:}-lock")" = "$pid" ] &&
      ringvoyage_display_answers "$display"; then
      RINGVOYAGE_XVFB_PID=$pid
      return 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  return 1
}

# Exports DISPLAY as the project's virtual display, starting Xvfb there unless
# a server already answers. A server that died (or a machine restored from a
# snapshot) leaves its socket and lock file behind; those are removed, since
# a socket nobody listens on would make every window creation fail. When a
# live server that does not let us in (another user's) holds the number, or
# Xvfb cannot start there, the next free number is used instead. Sets
# RINGVOYAGE_XVFB_PID when this call started the server.
ringvoyage_start_xvfb() {
  # Number of the virtual display started when the caller has none (its
  # screen is 1280x1024, so that a framed 800x600 window fits).
  local wanted="${RINGVOYAGE_XVFB_DISPLAY:-:73}"
  local num="${wanted#:}"
  RINGVOYAGE_XVFB_PID=""
  if ! [[ "$num" =~ ^[0-9]{1,4}$ ]]; then
    echo "RINGVOYAGE_XVFB_DISPLAY is '$wanted', not a display number like :73" >&2
    return 1
  fi
  if ! ringvoyage_display_answers ":$num"; then
    local lock="/tmp/.X$num-lock" holder
    holder="$(tr -dc 0-9 2>/dev/null <"$lock" || true)"
    if ringvoyage_is_running_x_server "$holder"; then
      echo "display :$num belongs to an X server that does not let us in" >&2
    else
      rm -f "$lock" "/tmp/.X11-unix/X$num" 2>/dev/null || true
      ringvoyage_launch_xvfb ":$num" || echo "Xvfb did not start on :$num" >&2
    fi
    if [ -z "$RINGVOYAGE_XVFB_PID" ]; then
      local first=$num
      for num in $(seq $((first + 1)) $((first + 100))); do
        if [ ! -e "/tmp/.X$num-lock" ] && [ ! -e "/tmp/.X11-unix/X$num" ] &&
          ringvoyage_launch_xvfb ":$num"; then
          break
        fi
      done
      if [ -z "$RINGVOYAGE_XVFB_PID" ]; then
        echo "no X server answers on :$first, and Xvfb started on no free display number after it" >&2
        return 1
      fi
      echo "using the free display :$num instead" >&2
    fi
  fi
  export DISPLAY=":$num"
}
