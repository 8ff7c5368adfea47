#!/usr/bin/env bash
# Runs one test program on an X display of its own: a private Xvfb that lives as long as the
# program. The pointer and the X input focus belong to a display, so test programs that CTest runs
# side by side never move each other's mouse or take each other's focus. (Foreground and focus
# inside Wine belong to a desktop: each test program makes its own, see tests/TestMain.cpp.)
# Usage: tools/ondisplay.sh COMMAND [ARG...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/winenv.sh"

# The watcher: a process outside the launcher's process tree, reading what the launcher started
# from a pipe. CTest ends a test at its time-out by killing the launcher and the processes below
# it, which runs no trap; the program's Wine processes (a server it started, the prefix's own
# wineserver and services) are not below it and would live on. When the pipe ends without the
# launcher's "done", the watcher ends them: the program's process group and every process of its
# prefix copy.
if [ "${1:-}" = --watch ]; then
  group= prefix= xvfb=
  while read -r key value; do
    case $key in
      group) group=$value ;;
      prefix) prefix=$value ;;
      xvfb) xvfb=$value ;;
      done) exit 0 ;;
    esac
  done
  [ -n "$group" ] && kill -9 -- "-$group" 2>/dev/null
  [ -n "$prefix" ] && winenv_end_prefix "$prefix"
  [ -n "$xvfb" ] && [ "$(cat "/proc/$xvfb/comm" 2>/dev/null)" = Xvfb ] && kill "$xvfb" 2>/dev/null
  exit 0
fi

prefix=
winenv_xvfb || { echo "ondisplay: Xvfb did not start" >&2; exit 1; }
xvfb=$VGT_XVFB_PID
# The watcher's pipe is fd 9, which no process the launcher starts keeps open.
exec 9> >(exec setsid -f "$here/ondisplay.sh" --watch >/dev/null 2>&1)
echo "xvfb $xvfb" >&9
stop() {
  # The program's own wineserver goes with every process the program left (a local server, the
  # desktop's process): none of them keeps CTest waiting on the output they inherited.
  if [ -n "$prefix" ]; then winenv_end_prefix "$prefix"; fi
  kill "$xvfb" >/dev/null 2>&1 || true
  wait "$xvfb" 2>/dev/null || true
  # A watcher that is gone already must not end the launcher with SIGPIPE.
  trap '' PIPE
  echo done >&9 2>/dev/null
}
trap stop EXIT
trap 'exit 143' TERM INT

# Under tools/test.sh every program runs in a copy of the run's prefix with a wineserver of its
# own (tools/winenv.sh): registry, zone settings, registered classes and the global atom table
# are the program's own, so programs that change them run side by side.
# Run by ctest directly after winenv_start, without tools/test.sh's sealing: the first launcher
# seals the run's prefix (under a lock, once per run), so programs still never share a registry.
if [ -z "${VGT_TEST_PREFIXES:-}" ] && [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
  (
    flock 8
    if [ ! -e "$WINEPREFIX/.vgt-sealed" ]; then
      # CTest runs each program in its folder of the build: the Windows-version copies' list is
      # found from there.
      winenv_versions "$PWD"
      winenv_end_server
      mkdir -p "$WINEPREFIX-copies"
      touch "$WINEPREFIX/.vgt-sealed"
    fi
  ) 8>>"$WINEPREFIX.seal-lock" 9>&-
  export VGT_TEST_PREFIXES="$WINEPREFIX-copies"
fi
if [ -n "${VGT_TEST_PREFIXES:-}" ]; then
  prefix=$(mktemp -d "$VGT_TEST_PREFIXES/XXXXXX")
  echo "prefix $prefix" >&9
  winenv_copy "$WINEPREFIX" "$prefix" 9>&-
  export WINEPREFIX=$prefix
fi

# The test program writes its result here once its tests are done (tests/TestMain.cpp). Under the
# full suite's load a program has now and then not ended after that, all its tests passed; it is
# then ended after 20 seconds with the result it wrote, and that is said.
# Each time that happens is counted in VGT_GUARD_LOG (tools/test.sh prints the count), with what
# the program's threads were doing beside it.
guard_fired() {
  [ -n "${VGT_GUARD_LOG:-}" ] || return 0
  local pid=$1 task
  echo "$(date +%T) $*" >>"$VGT_GUARD_LOG"
  {
    echo "== $(date +%T) ${*}"
    for task in /proc/"$pid"/task/*; do
      echo "-- thread ${task##*/}: $(cat "$task/comm" 2>/dev/null) wchan=$(cat "$task/wchan" 2>/dev/null) syscall=$(cat "$task/syscall" 2>/dev/null)"
    done
    ps -o pid,ppid,stat,wchan:24,args --ppid "$pid" -p "$pid" 2>/dev/null
    timeout 30 gdb -p "$pid" -batch -ex "thread apply all bt" 2>&1 | grep -v "^warning:" | head -200
  } >>"$VGT_GUARD_LOG.details" 2>&1
}
result_file=$(mktemp -u)
export VGT_TEST_RESULT_FILE="Z:$result_file"
# The program leads a process group of its own, which the watcher can end as a whole.
setsid -w "$@" 9>&- &
program=$!
echo "group $program" >&9
# The guard watches beside the program, so a program that ends is seen at once.
(
  exec 9>&-
  trap - EXIT
  while kill -0 "$program" 2>/dev/null; do
    if [ -s "$result_file" ]; then
      for _ in $(seq 1 200); do
        kill -0 "$program" 2>/dev/null || exit 0
        sleep 0.1 </dev/null >/dev/null 2>&1
      done
      echo "ondisplay: the program had not ended 20 s after its tests; ended with their result" >&2
      guard_fired "$program" "$*"
      touch "$result_file.guard"
      kill -9 "$program" 2>/dev/null
      exit 0
    fi
    sleep 0.2 </dev/null >/dev/null 2>&1
  done
) &
guard=$!
wait "$program"
status=$?
kill "$guard" 2>/dev/null
wait "$guard" 2>/dev/null
if [ -e "$result_file.guard" ]; then
  result=$(head -n 1 "$result_file")
  status=${result:-1}
fi
rm -f "$result_file" "$result_file.guard"
exit "$status"
