# Sourced by the scripts that run Windows programs: one Wine prefix inside the
# build tree, one Xvfb display, and a persistent wineserver so that each test
# process does not pay Wine's start-up again.
# Callers may set RINGVOYAGE_WINE_ROOT (default: <repo>/build) and DISPLAY.

RINGVOYAGE_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RINGVOYAGE_WINE_ROOT="${RINGVOYAGE_WINE_ROOT:-$RINGVOYAGE_REPO/build}"
export WINEPREFIX="$RINGVOYAGE_WINE_ROOT/wineprefix"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Virtual display used when the caller has none; 1024x768 so that a framed
# 800x600 window fits.
RINGVOYAGE_XVFB_DISPLAY="${RINGVOYAGE_XVFB_DISPLAY:-:73}"

ringvoyage_start_xvfb() {
  local num="${RINGVOYAGE_XVFB_DISPLAY#:}"
  if [ ! -e "/tmp/.X11-unix/X$num" ]; then
    Xvfb "$RINGVOYAGE_XVFB_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$num" ] && break
      sleep 0.1
    done
  fi
  export DISPLAY="$RINGVOYAGE_XVFB_DISPLAY"
}

ringvoyage_init_prefix() {
  mkdir -p "$RINGVOYAGE_WINE_ROOT"
  # Wine's server and helper processes outlive this call: they must not
  # inherit the lock descriptor (it would stay held) or our output pipes
  # (CTest would wait for their end of file).
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ringvoyage-ready" ]; then
      wineserver -p >/dev/null 2>&1 </dev/null 9>&- || true
      wineboot -i >/dev/null 2>&1 </dev/null 9>&-
      # Without a window manager, hiding or destroying a managed window waits 2 s.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1 </dev/null 9>&-
      # A crashing program must fail its test, not hang on a dialog.
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 </dev/null 9>&-
      wine cmd /c exit >/dev/null 2>&1 </dev/null 9>&- || true
      touch "$WINEPREFIX/.ringvoyage-ready"
    fi
  ) 9>"$RINGVOYAGE_WINE_ROOT/.wineprefix.lock"
  # Keeps (or starts) one persistent server and its helper processes, so a
  # test process does not pay Wine's start-up again. Both are quick no-ops
  # when the server already runs.
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
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

ringvoyage_wine_setup() {
  if [ -z "${DISPLAY:-}" ]; then
    ringvoyage_start_xvfb
  fi
  ringvoyage_init_prefix
}
