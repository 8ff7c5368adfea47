#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite under Wine and Xvfb.
# Arguments go to ctest (for example: -R Unicode, or -L win98).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VGT_BUILD:-$here/build}
export VGT_BUILD=$build

"$here/tools/setup.sh"
"$here/tools/build.sh"

# Each run has a folder of its own under build/runs, so two runs in one build tree do not meet;
# what a run that was killed left behind goes at the next start.
runs=$build/runs
mkdir -p "$runs"
for old in "$runs"/*/; do
  [ -d "$old" ] || continue
  old=${old%/}
  kill -0 "${old##*/}" 2>/dev/null || rm -rf "$old"
done
run=$runs/$$

. "$here/tools/winenv.sh"
cleanup() {
  winenv_stop
  rm -rf "$run"
}
trap cleanup EXIT
winenv_start "$run"
winenv_versions "$build/winversions.txt"
winenv_seal

# Programs the launcher had to end after their tests (tools/ondisplay.sh); the goal is none.
export VGT_GUARD_LOG="$run/ended-by-harness.log"
cd "$build"
status=0
ctest --output-on-failure -j "$(nproc)" "$@" || status=$?
ended=0
[ -f "$VGT_GUARD_LOG" ] && ended=$(wc -l <"$VGT_GUARD_LOG")
echo "Programs the harness had to end after their tests: $ended"
if [ "$ended" -gt 0 ]; then
  cat "$VGT_GUARD_LOG"
  cp "$VGT_GUARD_LOG" "$build/ended-by-harness.log"
  cp "$VGT_GUARD_LOG.details" "$build/ended-by-harness.log.details" 2>/dev/null || true
  echo "(what their threads were doing: $build/ended-by-harness.log.details)"
fi
exit $status
