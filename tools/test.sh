#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite under Wine and Xvfb.
# Arguments go to ctest (for example: -R Unicode, or -L win98).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VGT_BUILD:-$here/build}
export VGT_BUILD=$build

"$here/tools/setup.sh"
"$here/tools/build.sh"

. "$here/tools/winenv.sh"
trap winenv_stop EXIT
winenv_start "$build"
winenv_versions "$build/bin"
winenv_seal

# Programs the launcher had to end after their tests (tools/ondisplay.sh); the goal is none.
export VGT_GUARD_LOG="$build/ended-by-harness.log"
rm -f "$VGT_GUARD_LOG" "$VGT_GUARD_LOG.details"
cd "$build"
status=0
ctest --output-on-failure -j "$(nproc)" "$@" || status=$?
ended=0
[ -f "$VGT_GUARD_LOG" ] && ended=$(wc -l <"$VGT_GUARD_LOG")
echo "Programs the harness had to end after their tests: $ended"
if [ "$ended" -gt 0 ]; then
  cat "$VGT_GUARD_LOG"
  echo "(what their threads were doing: $VGT_GUARD_LOG.details)"
fi
exit $status
