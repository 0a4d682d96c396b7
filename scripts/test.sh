#!/usr/bin/env bash
# Runs every test: installs what is missing, then configures, builds and tests
# the native build (ASan/UBSan) and the i686 build (under Wine on Xvfb).
# Exit status is non-zero if any step fails. Safe to run again.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

results=()
failed=0
xvfb_pid=""
desktop_pid=""
wine_ready=0

# Runs one step, records its outcome and keeps going, so that the summary
# covers both builds even when the first one fails.
step() {
    local name="$1"
    shift
    local start=$SECONDS
    echo
    echo "=== $name"
    if "$@"; then
        results+=("PASS  $name ($((SECONDS - start)) s)")
        return 0
    fi
    results+=("FAIL  $name ($((SECONDS - start)) s)")
    failed=1
    return 1
}

cleanup() {
    if [ -n "$desktop_pid" ]; then
        kill "$desktop_pid" 2>/dev/null || true
        wait "$desktop_pid" 2>/dev/null || true
    fi
    if [ "$wine_ready" -eq 1 ]; then
        # A test that died with a key held down must not leave it stuck.
        xdotool keyup Escape plus minus space F11 KP_Add KP_Subtract >/dev/null 2>&1 || true
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

summary() {
    echo
    echo "=== Summary"
    printf '  %s\n' "${results[@]}"
    if [ "$failed" -eq 0 ]; then
        echo "  all steps passed in $SECONDS s"
    else
        echo "  FAILED after $SECONDS s"
    fi
}

preset_steps() {
    local preset="$1"
    step "configure $preset" cmake --preset "$preset" &&
        step "build $preset" cmake --build --preset "$preset" -j2 &&
        step "test $preset" run_tests "$preset"
}

run_tests() {
    local preset="$1"
    if [ "$preset" = native ]; then
        ctest --preset native -j2 --timeout 300
        return
    fi
    # One hidden window holds Wine's desktop process for the whole run, started
    # with no output pipe of ours. The Windows tests run one at a time: they
    # share the display, and a test's window must not keep a desktop process
    # alive that holds another test's pipe.
    wine "$repo/build/mingw/tools/win/hold_desktop.exe" </dev/null >/dev/null 2>&1 &
    desktop_pid=$!
    ctest --preset mingw --timeout 300
}

# Brings up the virtual display (unless DISPLAY is set) and the Wine prefix.
wine_setup() {
    # shellcheck source=scripts/wine-env.sh
    source "$repo/scripts/wine-env.sh" || return 1
    ringvoyage_wine_setup || return 1
    # Only an Xvfb started here is ours to stop.
    xvfb_pid="$RINGVOYAGE_XVFB_PID"
    wine_ready=1
    xdotool keyup Escape plus minus space F11 KP_Add KP_Subtract >/dev/null 2>&1 || true
    echo "display $DISPLAY, prefix $WINEPREFIX"
}

step "dependencies" scripts/deps.sh || {
    summary
    exit 1
}
preset_steps native || true
if step "wine setup" wine_setup; then
    preset_steps mingw || true
fi
summary
exit "$failed"
