#!/usr/bin/env bash
# Runs one Windows program under the project's 32-bit Wine prefix: the CTest
# emulator of the i686 build. Exit code is the program's.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ringvoyage_wine_select win32
ringvoyage_wine_setup
exec "$RINGVOYAGE_WINE_LOADER" "$@"
