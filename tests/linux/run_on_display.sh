#!/usr/bin/env bash
# Runs a command on the project's virtual display (RINGVOYAGE_XVFB_DISPLAY),
# starting Xvfb there unless a server answers, and stops only a server it
# started.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
ringvoyage_start_xvfb || exit 1
"$@"
status=$?
if [ -n "$RINGVOYAGE_XVFB_PID" ]; then
    kill "$RINGVOYAGE_XVFB_PID" 2>/dev/null
    wait "$RINGVOYAGE_XVFB_PID" 2>/dev/null
fi
exit "$status"
