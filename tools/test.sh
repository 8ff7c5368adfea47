#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite under Wine and Xvfb, for
# every target this host runs: i686 and x86_64 where 32-bit programs run, x86_64 alone elsewhere
# (the shipped i686 files are still built there). Ends with one result line per target.
# Arguments go to ctest, for each target (for example: -R Unicode, or -L win98).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VGT_BUILD:-$here/build}
. "$here/tools/targets.sh"

"$here/tools/setup.sh"
targets=$(vgt_run_targets)
if [ "$targets" = x86_64 ]; then
  # What ships is built and checked as far as this host can: its tests need 32-bit programs.
  VGT_TARGET=i686 "$here/tools/build.sh" --target vgt_release
else
  VGT_TARGET=i686 "$here/tools/build.sh"
fi
VGT_TARGET=x86_64 "$here/tools/build.sh"

# suite TARGET CTEST-ARGS...: the whole suite of one target's build; its ctest output is kept in
# <target build>/last-test.log.
suite() (
  export VGT_TARGET=$1; shift
  export VGT_TARGET_BUILD
  VGT_TARGET_BUILD=$(vgt_target_build "$build" "$VGT_TARGET")
  # Each run has a folder of its own under runs/, so two runs in one build tree do not meet;
  # what a run that was killed left behind goes at the next start.
  local runs=$VGT_TARGET_BUILD/runs old
  mkdir -p "$runs"
  for old in "$runs"/*/; do
    [ -d "$old" ] || continue
    old=${old%/}
    kill -0 "${old##*/}" 2>/dev/null || rm -rf "$old"
  done
  local run=$runs/$BASHPID
  . "$here/tools/winenv.sh"
  cleanup() {
    winenv_stop
    rm -rf "$run"
  }
  trap cleanup EXIT
  winenv_start "$run"
  winenv_versions "$VGT_TARGET_BUILD/winversions.txt"
  winenv_seal

  # Programs the launcher had to end after their tests (tools/ondisplay.sh); the goal is none.
  export VGT_GUARD_LOG="$run/ended-by-harness.log"
  cd "$VGT_TARGET_BUILD"
  local status=0 ended=0
  ctest --output-on-failure -j "$(nproc)" "$@" 2>&1 | tee "$VGT_TARGET_BUILD/last-test.log" || status=$?
  [ -f "$VGT_GUARD_LOG" ] && ended=$(wc -l <"$VGT_GUARD_LOG")
  echo "Programs the harness had to end after their tests ($VGT_TARGET): $ended"
  if [ "$ended" -gt 0 ]; then
    cat "$VGT_GUARD_LOG"
    cp "$VGT_GUARD_LOG" "$VGT_TARGET_BUILD/ended-by-harness.log"
    cp "$VGT_GUARD_LOG.details" "$VGT_TARGET_BUILD/ended-by-harness.log.details" 2>/dev/null || true
    echo "(what their threads were doing: $VGT_TARGET_BUILD/ended-by-harness.log.details)"
  fi
  return $status
)

# counts TARGET: "N passed, N failed" from that target's ctest summary.
counts() {
  local log
  log=$(vgt_target_build "$build" "$1")/last-test.log
  sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\2 \1/p' "$log" \
    2>/dev/null | tail -n 1 | awk '{ printf "%d passed, %d failed", $1 - $2, $2 }'
}

status=0
declare -A result
for target in $targets; do
  echo "== The suite for $target =="
  rm -f "$(vgt_target_build "$build" "$target")/last-test.log"
  target_status=0
  suite "$target" "$@" || target_status=$?
  [ $target_status -eq 0 ] || status=1
  result[$target]=$(counts "$target")
  [ -n "${result[$target]}" ] || result[$target]="no summary (ctest ended with status $target_status)"
done

echo
echo "Targets run: $targets"
if [ "$targets" = x86_64 ]; then
  echo "The shipped 32-bit files were built ($build/bin) but could not be run: this host runs no"
  echo "32-bit programs. Their suite runs on a host that does."
fi
for target in $targets; do
  echo "$target: ${result[$target]}"
done
exit $status
