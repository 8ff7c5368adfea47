#!/usr/bin/env bash
# Runs one test program on an X display of its own: a private Xvfb that lives as long as the
# program. The pointer and the X input focus belong to a display, so test programs that CTest runs
# side by side never move each other's mouse or take each other's focus. (Foreground and focus
# inside Wine belong to a desktop: each test program makes its own, see tests/TestMain.cpp.)
# Usage: tools/ondisplay.sh COMMAND [ARG...]
set -u
fd_file=$(mktemp)
# Not -terminate: Wine opens and closes short connections while a program starts, and a server
# that ends with its last client would be gone before the program's windows come.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
xvfb=$!
stop_xvfb() {
  kill "$xvfb" >/dev/null 2>&1 || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$fd_file"
}
trap stop_xvfb EXIT
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

# The test program writes its result here once its tests are done (tests/TestMain.cpp). Under the
# full suite's load a program has now and then not ended after that, all its tests passed; it is
# then ended after 20 seconds with the result it wrote, and that is said.
result_file=$(mktemp -u)
export VGT_TEST_RESULT_FILE="Z:$result_file"
"$@" &
program=$!
while kill -0 "$program" 2>/dev/null; do
  if [ -s "$result_file" ]; then
    for _ in $(seq 1 200); do
      kill -0 "$program" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$program" 2>/dev/null; then
      echo "ondisplay: the program had not ended 20 s after its tests; ended with their result" >&2
      kill -9 "$program" 2>/dev/null
      wait "$program" 2>/dev/null
      result=$(head -n 1 "$result_file")
      rm -f "$result_file"
      exit "${result:-1}"
    fi
    break
  fi
  sleep 0.2
done
wait "$program"
status=$?
rm -f "$result_file"
exit $status
