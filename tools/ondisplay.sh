#!/usr/bin/env bash
# Runs one test program on an X display of its own: a private Xvfb that lives as long as the
# program. The pointer and the X input focus belong to a display, so test programs that CTest runs
# side by side never move each other's mouse or take each other's focus. (Foreground and focus
# inside Wine belong to a desktop: each test program makes its own, see tests/TestMain.cpp.)
# Usage: tools/ondisplay.sh COMMAND [ARG...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
prefix=
fd_file=$(mktemp)
# Not -terminate: Wine opens and closes short connections while a program starts, and a server
# that ends with its last client would be gone before the program's windows come.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
xvfb=$!
stop() {
  # The program's own wineserver goes with every process the program left (a local server, the
  # desktop's process): none of them keeps CTest waiting on the output they inherited.
  if [ -n "$prefix" ]; then winenv_end_prefix "$prefix"; fi
  kill "$xvfb" >/dev/null 2>&1 || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$fd_file"
}
trap stop EXIT
trap 'exit 143' TERM INT
for _ in $(seq 1 500); do
  [ -s "$fd_file" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.01
done
if [ ! -s "$fd_file" ]; then
  echo "ondisplay: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$fd_file")"

# Under tools/test.sh every program runs in a copy of the run's prefix with a wineserver of its
# own (tools/winenv.sh): registry, zone settings, registered classes and the global atom table
# are the program's own, so programs that change them run side by side.
if [ -n "${VGT_TEST_PREFIXES:-}" ]; then
  . "$here/winenv.sh"
  prefix=$(mktemp -d "$VGT_TEST_PREFIXES/XXXXXX")
  winenv_copy "$WINEPREFIX" "$prefix"
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
"$@" &
program=$!
# The guard watches beside the program, so a program that ends is seen at once.
(
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
