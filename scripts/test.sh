#!/usr/bin/env bash
# Runs every test this host can run: installs what is missing, then
# configures, builds and tests the native build (ASan/UBSan), the Debian
# package (its contents, lintian, the xscreensaver daemon running it), the
# web page (WebAssembly, in headless Chromium), the x86_64
# Windows build (under 64-bit Wine on Xvfb) and the i686 Windows build (under
# 32-bit Wine where this host runs 32-bit code; elsewhere it is built and
# checked statically, and the summary names the tests that were not run).
# Exit status is non-zero if any step fails. Safe to run again.
#
# RINGVOYAGE_NO_32BIT=1 takes the no-32-bit path on any host.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
source scripts/host.sh
source scripts/test-count.sh

xvfb_pid=""
desktop_pid=""
prefixes_used=()

stop_desktop() {
    if [ -n "$desktop_pid" ]; then
        kill "$desktop_pid" 2>/dev/null || true
        wait "$desktop_pid" 2>/dev/null || true
        desktop_pid=""
    fi
}

cleanup() {
    stop_desktop
    if [ "${#prefixes_used[@]}" -gt 0 ]; then
        # A test that died with a key held down must not leave it stuck.
        xdotool keyup Escape plus minus space F11 KP_Add KP_Subtract >/dev/null 2>&1 || true
        for arch in "${prefixes_used[@]}"; do
            (ringvoyage_wine_select "$arch" && ringvoyage_wineserver -k) >/dev/null 2>&1 || true
        done
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

configure_and_build() {
    local preset="$1"
    step "configure $preset" cmake --preset "$preset" &&
        step "build $preset" cmake --build --preset "$preset" -j2
}

# Brings up the virtual display (unless DISPLAY answers) and the Wine prefix
# of one architecture.
wine_setup() {
    local arch="$1"
    # shellcheck source=scripts/wine-env.sh
    source "$repo/scripts/wine-env.sh" || return 1
    ringvoyage_wine_select "$arch" || return 1
    ringvoyage_wine_setup || return 1
    # Only an Xvfb started here is ours to stop.
    [ -n "$xvfb_pid" ] || xvfb_pid="$RINGVOYAGE_XVFB_PID"
    prefixes_used+=("$arch")
    xdotool keyup Escape plus minus space F11 KP_Add KP_Subtract >/dev/null 2>&1 || true
    echo "display $DISPLAY, prefix $WINEPREFIX"
}

# The Windows tests of one build under Wine. One hidden window holds Wine's
# desktop process for the whole run, started with no output pipe of ours. The
# tests run one at a time: they share the display, and a test's window must
# not keep a desktop process alive that holds another test's pipe.
windows_tests() {
    local preset="$1"
    "$RINGVOYAGE_WINE_LOADER" "$repo/build/$preset/tests/drivers/win/hold_desktop.exe" </dev/null >/dev/null 2>&1 &
    desktop_pid=$!
    local status=0
    counted_ctest --preset "$preset" --timeout 300 || status=$?
    stop_desktop
    return "$status"
}

# On a host without 32-bit code: the tests that need no Wine (the static
# checks of the exe and its package, the resources), then the names of the
# ones not run.
i686_static_tests() {
    counted_ctest --preset mingw -L static --timeout 300 || return 1
    mapfile -t i686_skipped < <(ctest --preset mingw -N -LE static |
        sed -nE 's/^ *Test +#[0-9]+: (.*)$/\1/p')
}

echo "=== $(ringvoyage_describe_host)"
step "dependencies" scripts/deps.sh test || finish_tests

if configure_and_build native; then
    step "test native" counted_ctest --preset native -j2 --timeout 300 || true
fi

if configure_and_build deb; then
    step "test deb" counted_ctest --preset deb --timeout 300 || true
fi

# After the native build: the page's still frame is compared with its
# frame_shot. Debian's emscripten finds its JavaScript modules only there.
export NODE_PATH=/usr/share/nodejs
if configure_and_build web; then
    step "test web" counted_ctest --preset web --timeout 300 || true
fi

if configure_and_build mingw64 && step "wine setup win64" wine_setup win64; then
    step "test mingw64" windows_tests mingw64 || true
fi

if configure_and_build mingw; then
    if ringvoyage_host_runs_32bit; then
        if step "wine setup win32" wine_setup win32; then
            step "test mingw" windows_tests mingw || true
        fi
    else
        i686_skipped=()
        step "static checks mingw" i686_static_tests || true
        if [ "${RINGVOYAGE_NO_32BIT:-0}" = 1 ]; then
            why="need 32-bit Wine, not used under RINGVOYAGE_NO_32BIT=1"
        else
            why="need 32-bit Wine, which this host cannot run"
        fi
        skip_tests "test mingw" "$why" "${i686_skipped[@]}"
    fi
fi

finish_tests
