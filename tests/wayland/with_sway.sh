#!/usr/bin/env bash
# Runs a command under a headless sway with two outputs of different sizes
# (HEADLESS-1 800x600, HEADLESS-2 640x480 to its right), with no X display.
# sway refuses to run as root: run by root, the compositor and the command
# run as the ordinary user ringvoyage-test, made here when missing. The
# command gets WAYLAND_DISPLAY, SWAYSOCK and its own XDG_RUNTIME_DIR, and
# PYTHONPATH the folder RINGVOYAGE_PYTHON_MODULES names (the drivers' shared
# modules), if it is given.
set -uo pipefail
user=ringvoyage-test
as_user=()
if [ "$(id -u)" = 0 ]; then
    if ! id "$user" >/dev/null 2>&1; then
        useradd --system --no-create-home --shell /usr/sbin/nologin "$user" || exit 1
    fi
    as_user=(runuser -u "$user" --)
fi
runtime=$(mktemp -d /tmp/ringvoyage-sway.XXXXXX) || exit 1
chmod 0700 "$runtime"
[ ${#as_user[@]} -eq 0 ] || chown "$user": "$runtime"
printf '%s\n' 'output HEADLESS-1 resolution 800x600 position 0 0' \
    'default_border none' 'focus_follows_mouse no' > "$runtime/config"
base_env=(env -i HOME="$runtime" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$runtime"
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}"
    RINGVOYAGE_READOUT_VERSION="${RINGVOYAGE_READOUT_VERSION:-}")
"${as_user[@]}" "${base_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$runtime/config" > "$runtime/sway.log" 2>&1 &
sway_pid=$!
finish() {
    kill "$sway_pid" 2>/dev/null
    wait "$sway_pid" 2>/dev/null
    rm -rf --one-file-system "$runtime"
}
trap finish EXIT
for _ in $(seq 100); do
    socket=$(ls "$runtime" | grep -m1 '^sway-ipc\..*\.sock$')
    [ -n "$socket" ] && [ -S "$runtime/wayland-1" ] && break
    kill -0 "$sway_pid" 2>/dev/null || break
    sleep 0.2
done
if [ -z "${socket:-}" ]; then
    echo "with_sway: sway did not start:" >&2
    cat "$runtime/sway.log" >&2
    exit 1
fi
session=("${base_env[@]}" WAYLAND_DISPLAY=wayland-1 SWAYSOCK="$runtime/$socket")
"${as_user[@]}" "${session[@]}" swaymsg -q create_output &&
    "${as_user[@]}" "${session[@]}" swaymsg -q output HEADLESS-2 resolution 640x480 position 800 0 ||
    { echo "with_sway: no second output" >&2; exit 1; }
# Files the user may not read (a build in root's home) go along as copies.
command=()
for argument in "$@"; do
    if [ ${#as_user[@]} -gt 0 ] && [ -f "$argument" ] &&
        ! "${as_user[@]}" test -r "$argument" -a -x "$(dirname "$argument")"; then
        install -m 0755 -o "$user" "$argument" "$runtime/" || exit 1
        argument="$runtime/$(basename "$argument")"
    fi
    command+=("$argument")
done
modules="${RINGVOYAGE_PYTHON_MODULES:-}"
if [ -n "$modules" ]; then
    if [ ${#as_user[@]} -gt 0 ] && ! "${as_user[@]}" test -r "$modules/." -a -x "$modules"; then
        install -d -m 0755 -o "$user" "$runtime/modules" &&
            install -m 0644 -o "$user" "$modules"/*.py "$runtime/modules/" || exit 1
        modules="$runtime/modules"
    fi
    session+=(PYTHONPATH="$modules")
fi
"${as_user[@]}" "${session[@]}" "${command[@]}"
