# Sourced by the scripts: which targets this host builds and which it can run.
# Both targets are always built: i686 is what ships, x86_64 is tested on every host. Whether the
# host runs 32-bit programs is found by running one (some kernels have 32-bit emulation switched
# off, and the architecture's name does not tell): a 93-byte i386 program that exits at once.

# The build tree of a target: the shipped i686 build at the top, x86_64 below it.
vgt_target_build() { # vgt_target_build BUILD TARGET
  if [ "$2" = i686 ]; then echo "$1"; else echo "$1/$2"; fi
}

# vgt_probe_32bit: succeeds when this host runs 32-bit programs; VGT_PROBE_32BIT_SAYS holds what
# the kernel said otherwise. VEILGATE_32BIT_PROBE names another program to run instead (the set-up
# script's tests play both kinds of host with it).
vgt_probe_32bit() {
  local probe status
  VGT_PROBE_32BIT_SAYS=
  if [ -n "${VEILGATE_32BIT_PROBE:-}" ]; then
    probe=$VEILGATE_32BIT_PROBE
  else
    probe=$(mktemp "${TMPDIR:-/tmp}/vgt-probe32.XXXXXX")
    # ELF header, one loadable segment, then: xor ebx,ebx; mov eax,1; int 0x80 (exit 0).
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\061\333\270\001\000\000\000\315\200' >"$probe"
    chmod +x "$probe"
  fi
  VGT_PROBE_32BIT_SAYS=$("$probe" 2>&1)
  status=$?
  [ -n "${VEILGATE_32BIT_PROBE:-}" ] || rm -f "$probe"
  # The shell's "PROGRAM: cannot execute binary file: Exec format error" without the temporary name.
  VGT_PROBE_32BIT_SAYS=${VGT_PROBE_32BIT_SAYS##*: }
  [ $status -eq 0 ] || [ -n "$VGT_PROBE_32BIT_SAYS" ] || VGT_PROBE_32BIT_SAYS="exit status $status"
  return $status
}

# vgt_run_targets: the targets whose programs this host runs, i686 first.
vgt_run_targets() {
  if vgt_probe_32bit >/dev/null 2>&1; then echo "i686 x86_64"; else echo "x86_64"; fi
}

# vgt_main_target: the target a single run uses (the main job, the benchmarks): VGT_TARGET if set,
# else the shipped i686 build where the host runs it, x86_64 elsewhere.
vgt_main_target() {
  if [ -n "${VGT_TARGET:-}" ]; then echo "$VGT_TARGET"
  elif vgt_probe_32bit >/dev/null 2>&1; then echo i686
  else echo x86_64; fi
}
