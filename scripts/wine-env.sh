# Sourced by the scripts that run Windows programs: one Wine prefix for each
# Windows build inside the build tree, one Xvfb display, and a persistent
# wineserver so that each test process does not pay Wine's start-up again.
# Callers may set RINGVOYAGE_WINE_ROOT (default: <repo>/build), DISPLAY and
# RINGVOYAGE_WINE_ARCH: win32 (the i686 build, the default) or win64 (x86_64).

RINGVOYAGE_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RINGVOYAGE_WINE_ROOT="${RINGVOYAGE_WINE_ROOT:-$RINGVOYAGE_REPO/build}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

# Points Wine at the prefix, loader and server of one architecture. The
# loaders are called directly: Debian's /usr/bin/wine takes the 32-bit one
# whenever it is installed, even on a host that cannot run it.
ringvoyage_wine_select() {
  case "$1" in
    win32)
      export WINEPREFIX="$RINGVOYAGE_WINE_ROOT/wineprefix"
      RINGVOYAGE_WINE_LOADER=/usr/lib/wine/wine
      RINGVOYAGE_WINE_PACKAGE=wine32:i386
      RINGVOYAGE_WINE_BITS=32
      ;;
    win64)
      export WINEPREFIX="$RINGVOYAGE_WINE_ROOT/wineprefix64"
      RINGVOYAGE_WINE_LOADER=/usr/lib/wine/wine64
      RINGVOYAGE_WINE_PACKAGE=wine64
      RINGVOYAGE_WINE_BITS=64
      ;;
    *)
      echo "unknown Wine architecture '$1' (win32 or win64)" >&2
      return 1
      ;;
  esac
  export WINEARCH="$1" RINGVOYAGE_WINE_ARCH="$1"
  export WINELOADER="$RINGVOYAGE_WINE_LOADER"
  # The server of the loader's own width where there is one.
  local server
  export WINESERVER=""
  for server in "$RINGVOYAGE_WINE_BITS" 64 32; do
    if [ -x "/usr/lib/wine/wineserver$server" ]; then
      WINESERVER="/usr/lib/wine/wineserver$server"
      break
    fi
  done
}
ringvoyage_wine_select "${RINGVOYAGE_WINE_ARCH:-win32}"

ringvoyage_wine() {
  "$RINGVOYAGE_WINE_LOADER" "$@"
}

ringvoyage_wineserver() {
  "$WINESERVER" "$@"
}

# Fails, saying what is missing and what to install, unless this host can
# run Windows programs of the selected architecture.
ringvoyage_wine_check() {
  local hint="install Debian's $RINGVOYAGE_WINE_PACKAGE package (scripts/deps.sh does)"
  if [ ! -x "$RINGVOYAGE_WINE_LOADER" ]; then
    echo "cannot run $RINGVOYAGE_WINE_BITS-bit Windows programs: Wine's loader $RINGVOYAGE_WINE_LOADER is missing; $hint" >&2
    return 1
  fi
  if [ -z "$WINESERVER" ] || [ ! -x "$WINESERVER" ]; then
    echo "cannot run Windows programs: no wineserver in /usr/lib/wine; $hint" >&2
    return 1
  fi
  local out
  if ! out="$("$RINGVOYAGE_WINE_LOADER" --version 2>&1 </dev/null)"; then
    if [ "$RINGVOYAGE_WINE_BITS" = 32 ]; then
      echo "cannot run 32-bit Windows programs: Wine's 32-bit loader does not start ($out); this host runs no 32-bit code, use the x86_64 build" >&2
    else
      echo "cannot run 64-bit Windows programs: $RINGVOYAGE_WINE_LOADER does not start ($out); reinstall Debian's wine64 package" >&2
    fi
    return 1
  fi
}
# Number of the virtual display started when the caller has none (its
# screen is 1280x1024, so that a framed 800x600 window fits).
RINGVOYAGE_XVFB_DISPLAY="${RINGVOYAGE_XVFB_DISPLAY:-:73}"

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
  local num="${RINGVOYAGE_XVFB_DISPLAY#:}"
  RINGVOYAGE_XVFB_PID=""
  if ! [[ "$num" =~ ^[0-9]{1,4}$ ]]; then
    echo "RINGVOYAGE_XVFB_DISPLAY is '$RINGVOYAGE_XVFB_DISPLAY', not a display number like :73" >&2
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

ringvoyage_init_prefix() {
  ringvoyage_wine_check || return 1
  mkdir -p "$RINGVOYAGE_WINE_ROOT"
  # Wine's server and helper processes outlive this call: they must not
  # inherit the lock descriptor (it would stay held) or our output pipes
  # (CTest would wait for their end of file).
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ringvoyage-ready" ]; then
      ringvoyage_wineserver -p >/dev/null 2>&1 </dev/null 9>&- || true
      ringvoyage_wine wineboot -i >/dev/null 2>&1 </dev/null 9>&-
      # Without a window manager, hiding or destroying a managed window waits 2 s.
      ringvoyage_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1 </dev/null 9>&-
      # A crashing program must fail its test, not hang on a dialog.
      ringvoyage_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
        /d 0 /f >/dev/null 2>&1 </dev/null 9>&-
      ringvoyage_wine cmd /c exit >/dev/null 2>&1 </dev/null 9>&- || true
      touch "$WINEPREFIX/.ringvoyage-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
  # Keeps (or starts) one persistent server and its helper processes, so a
  # test process does not pay Wine's start-up again. Both are quick no-ops
  # when the server already runs.
  ringvoyage_wineserver -p >/dev/null 2>&1 </dev/null || true
  ringvoyage_wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

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

# Uses DISPLAY when a server answers there, otherwise the virtual display.
ringvoyage_wine_setup() {
  RINGVOYAGE_XVFB_PID=""
  if [ -z "${DISPLAY:-}" ] || ! ringvoyage_display_answers "$DISPLAY"; then
    if [ -n "${DISPLAY:-}" ]; then
      echo "DISPLAY $DISPLAY does not answer; using a virtual display" >&2
    fi
    ringvoyage_start_xvfb || return 1
  fi
  ringvoyage_init_prefix
}
