# One Wine prefix for each Windows build inside the build tree, and a
# persistent wineserver so that each test process does not pay Wine's
# start-up again. Sourcing it only defines functions: ringvoyage_wine_select
# points Wine at one architecture (RINGVOYAGE_WINE_ROOT, default
# <repo>/build, holds the prefixes).

# Points Wine at the prefix, loader and server of one architecture. The
# loaders are called directly: Debian's /usr/bin/wine takes the 32-bit one
# whenever it is installed, even on a host that cannot run it.
ringvoyage_wine_select() {
  local repo
  repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  RINGVOYAGE_WINE_ROOT="${RINGVOYAGE_WINE_ROOT:-$repo/build}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
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
