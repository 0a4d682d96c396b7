# Sourced by the scripts: finds out, by trying, whether this host runs 32-bit
# (i386) code. Some x86-64 kernels have IA-32 emulation switched off; there
# neither Wine's 32-bit loader nor any i686 program can start, and only the
# x86_64 Windows build can be run.
#
# RINGVOYAGE_NO_32BIT=1 takes the no-32-bit path on any host.

# The smallest i386 Linux program: one loadable segment whose code is
# exit(0) through int 0x80. Needs no 32-bit library, so it tests the kernel
# alone, before any package is installed.
ringvoyage_write_i386_probe() {
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'  # ident
  printf '\x02\x00\x03\x00\x01\x00\x00\x00'                          # exec, i386, v1
  printf '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00'          # entry, phoff, shoff
  printf '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'  # flags, sizes, 1 phdr
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'  # PT_LOAD
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'  # sizes, r-x
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'                      # exit(0)
}

# True when this host runs 32-bit code. Tries once per process tree: the
# answer is exported for the scripts this one starts.
ringvoyage_host_runs_32bit() {
  if [ "${RINGVOYAGE_NO_32BIT:-0}" = 1 ]; then
    return 1
  fi
  if [ -z "${RINGVOYAGE_HOST_32BIT_TRIED:-}" ]; then
    local dir
    dir="$(mktemp -d)"
    ringvoyage_write_i386_probe >"$dir/probe"
    chmod +x "$dir/probe"
    if "$dir/probe" </dev/null >/dev/null 2>&1; then
      RINGVOYAGE_HOST_32BIT_TRIED=yes
    else
      RINGVOYAGE_HOST_32BIT_TRIED=no
    fi
    rm -rf "$dir"
    export RINGVOYAGE_HOST_32BIT_TRIED
  fi
  [ "$RINGVOYAGE_HOST_32BIT_TRIED" = yes ]
}

# The one line that says what this host can run.
ringvoyage_describe_host() {
  if ringvoyage_host_runs_32bit; then
    echo "this host runs 32-bit code"
  elif [ "${RINGVOYAGE_NO_32BIT:-0}" = 1 ]; then
    echo "32-bit code is not used here (RINGVOYAGE_NO_32BIT=1): the i686 tests are skipped, the x86_64 build is tested"
  else
    echo "this host runs no 32-bit code: the i686 tests are skipped, the x86_64 build is tested"
  fi
}

# The Windows build to run here: mingw (i686) where 32-bit code runs,
# otherwise mingw64 (x86_64).
ringvoyage_windows_preset() {
  if ringvoyage_host_runs_32bit; then echo mingw; else echo mingw64; fi
}
