#!/usr/bin/env bash
# Runs a README command as a newcomer would: on a fresh, minimal Debian 12
# (debootstrap --variant=minbase), in a chroot, as root. Reports the exit
# status, the time, the lines the command printed and what it installed.
# Usage (as root): tests/fresh/check.sh [--commit REV] [--keep] [COMMAND...]
#   COMMAND   run in the repository's copy; default: scripts/run.sh --native
#   --commit  copy that commit in (default: the working tree's files, tracked
#             and untracked, without what .gitignore leaves out)
#   --keep    keep the tree after the run (unmounted) for a look inside
#
# The minimal tree is built once and kept as a tarball in
# RINGVOYAGE_FRESH_CACHE (default /var/cache/ringvoyage-fresh); each run
# unpacks it afresh in build/fresh/run.*/tree. The tree gets this machine's
# apt mirror and CA trust, so the registries answer as they do here, and a
# policy-rc.d that keeps package scripts from starting services. The
# command's output, and the PNG files and deps logs it left in build/, stay
# in build/fresh/run.*/. Too slow for the test suite: minutes to an hour.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cache="${RINGVOYAGE_FRESH_CACHE:-/var/cache/ringvoyage-fresh}"
base="$cache/bookworm-minbase.tar"
commit="" keep=""
while [ "$#" -gt 0 ]; do
  case "$1" in
    --commit) commit="${2:?--commit needs a revision}"; shift 2 ;;
    --keep) keep=1; shift ;;
    -*) echo "usage: $0 [--commit REV] [--keep] [COMMAND...]" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ "$#" -gt 0 ] || set -- scripts/run.sh --native
[ "$(id -u)" -eq 0 ] || { echo "fresh: needs root (debootstrap, mount, chroot)" >&2; exit 1; }
say() { echo "fresh: $*"; }

mirror="$(sed -nE 's/^URIs: *([^ ]+).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)"
mirror="${mirror:-http://deb.debian.org/debian}"
if [ ! -f "$base" ]; then
  command -v debootstrap >/dev/null || apt-get install -y -qq -o DPkg::Lock::Timeout=900 \
    --no-install-recommends debootstrap >/dev/null
  say "building a minimal Debian 12 from $mirror (a few minutes, once) into $base"
  mkdir -p "$cache"
  rm -rf --one-file-system "$cache/base.tmp"
  debootstrap --variant=minbase bookworm "$cache/base.tmp" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { echo "fresh: debootstrap failed; its log: $cache/debootstrap.log" >&2; exit 1; }
  tar -C "$cache/base.tmp" --numeric-owner -cpf "$base.tmp" . && mv "$base.tmp" "$base"
  rm -rf --one-file-system "$cache/base.tmp"
fi

mkdir -p "$repo/build/fresh"
out="$(mktemp -d "$repo/build/fresh/run.XXXXXX")" tree="$out/tree" mounts=()
mkdir "$tree"

# Unmounts, and deletes the tree only once nothing is mounted under it.
cleanup() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
  done
  if grep -qF " $tree/" /proc/mounts; then
    echo "fresh: something is still mounted under $tree; left in place" >&2
  elif [ -n "$keep" ]; then
    say "tree kept: $tree"
  else
    rm -rf --one-file-system "$tree"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

tar -C "$tree" -xpf "$base"
chmod 755 "$out" "$tree"  # mktemp's 700 would keep the tree's own users out
# This machine's mirror, its way of reaching it, its name service and its CA
# trust; services stay down as in any chroot.
if cp /etc/apt/sources.list.d/debian.sources "$tree/etc/apt/sources.list.d/" 2>/dev/null; then
  rm -f "$tree/etc/apt/sources.list"
fi
grep -h '^Acquire::' /etc/apt/apt.conf.d/* >"$tree/etc/apt/apt.conf.d/00machine" 2>/dev/null || true
cp -L /etc/resolv.conf "$tree/etc/resolv.conf"
# Taken in when a package installs ca-certificates (a minimal tree has none).
mkdir -p "$tree/usr/local/share/ca-certificates"
cp -r /usr/local/share/ca-certificates/. "$tree/usr/local/share/ca-certificates/" 2>/dev/null || true
node_ca=""  # node reads no system store: npm gets the machine's CAs by name
if [ -f "${NODE_EXTRA_CA_CERTS:-}" ]; then
  cp "$NODE_EXTRA_CA_CERTS" "$tree/root/machine-ca.crt" && node_ca=/root/machine-ca.crt
fi
printf '#!/bin/sh\nexit 101\n' >"$tree/usr/sbin/policy-rc.d" && chmod +x "$tree/usr/sbin/policy-rc.d"

mkdir -p "$tree/root/ringvoyage"
if [ -n "$commit" ]; then
  git -C "$repo" archive "$commit" | tar -C "$tree/root/ringvoyage" -x
else
  (cd "$repo" && git ls-files -z -co --exclude-standard |
    tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -C "$tree/root/ringvoyage" -x
fi

for dir in sys dev dev/pts dev/shm; do
  mkdir -p "$tree/$dir"
  mount --bind "/$dir" "$tree/$dir"
  mounts+=("$tree/$dir")
done

# Xlib reaches X servers through abstract sockets, which a chroot shares with
# the machine: the tree's virtual display takes a number no server here uses.
display="${RINGVOYAGE_XVFB_DISPLAY:-}"
for n in $(seq 90 400); do
  [ -z "$display" ] || break
  [ -e "/tmp/.X$n-lock" ] || grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix || display=":$n"
done

# A process namespace of its own: the tree's scripts and tests look through
# /proc for their processes and must not find another tree's; what the
# command leaves running ends with it.
in_tree() {
  unshare --pid --fork --mount-proc="$tree/proc" chroot "$tree" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    ${node_ca:+NODE_EXTRA_CA_CERTS=$node_ca} RINGVOYAGE_XVFB_DISPLAY="$display" "$@"
}
# The number of packages installed and their size in MB as dpkg counts it.
installed() {
  in_tree dpkg-query -W -f='${db:Status-Abbrev} ${Installed-Size}\n' |
    awk '/^ii/ { kb += $2; n++ } END { printf "%d %d\n", n, kb / 1024 }'
}

read -r packages_before mb_before < <(installed)
disk_before="$(du -sxm "$tree" | cut -f1)"
say "a minimal Debian 12 ($packages_before packages, $mb_before MB), display $display, running: $*"
start=$SECONDS
set +e
in_tree bash -c 'cd /root/ringvoyage && exec "$@"' command "$@" </dev/null 2>&1 | tee "$out/output.log"
status="${PIPESTATUS[0]}"
set -e
elapsed=$((SECONDS - start))

cp "$tree"/root/ringvoyage/build/*.png "$tree"/root/ringvoyage/build/deps-*.log "$out/" 2>/dev/null || true
say "exit status $status after $elapsed s; $(wc -l <"$out/output.log") lines of output ($out/output.log)"
read -r packages mb < <(installed)
say "installed $((packages - packages_before)) packages, $((mb - mb_before)) MB;" \
  "the tree grew by $(($(du -sxm "$tree" | cut -f1) - disk_before)) MB (with apt's downloads and the build)"
for shot in "$out"/*.png; do
  [ -f "$shot" ] && command -v convert >/dev/null || continue
  say "screenshot $shot: mean brightness $(convert "$shot" -colorspace Gray -format '%[fx:round(100*mean)]' info:)%"
done
exit "$status"
