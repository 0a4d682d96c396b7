#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (the CTest emulator
# of the i686 build). Exit code is the program's.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ringvoyage_wine_setup
exec wine "$@"
