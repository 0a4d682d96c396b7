#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix: the CTest emulator
# of the i686 build (RINGVOYAGE_WINE_ARCH=win32, the default) and, through
# wine64-run.sh, of the x86_64 build. Exit code is the program's.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ringvoyage_wine_setup
exec "$RINGVOYAGE_WINE_LOADER" "$@"
