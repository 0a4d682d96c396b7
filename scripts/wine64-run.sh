#!/usr/bin/env bash
# Runs one Windows program under the project's 64-bit Wine prefix: the CTest
# emulator of the x86_64 build. Exit code is the program's.
RINGVOYAGE_WINE_ARCH=win64 exec "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" "$@"
