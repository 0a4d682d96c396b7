# Sourced by the scripts that run Windows programs: the libraries in lib/
# (Wine, the virtual display, xdotool helpers), with Wine pointed at
# RINGVOYAGE_WINE_ARCH: win32 (the i686 build, the default) or win64
# (x86_64). Callers may set RINGVOYAGE_WINE_ROOT (default: <repo>/build) and
# DISPLAY. A script that needs only the display sources lib/display.sh.

# shellcheck source=scripts/lib/wine.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine.sh"
# shellcheck source=scripts/lib/display.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/display.sh"
# shellcheck source=scripts/lib/xwin.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/xwin.sh"
ringvoyage_wine_select "${RINGVOYAGE_WINE_ARCH:-win32}"
