#!/usr/bin/env bash
# Runs a command on an X display: DISPLAY when a server answers there,
# otherwise the project's virtual display (RINGVOYAGE_XVFB_DISPLAY), started
# for the command and stopped after it if it was not running yet.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ] || ! ringvoyage_display_answers "$DISPLAY"; then
    ringvoyage_start_xvfb || exit 1
fi
"$@"
status=$?
if [ -n "${RINGVOYAGE_XVFB_PID:-}" ]; then
    kill "$RINGVOYAGE_XVFB_PID" 2>/dev/null
    wait "$RINGVOYAGE_XVFB_PID" 2>/dev/null
fi
exit "$status"
