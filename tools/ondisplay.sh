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
"$@"
