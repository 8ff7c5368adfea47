#!/usr/bin/env bash
# The main job: the system at work on one request. Installs what is missing, builds the three
# deliverables, registers VgtDialog.exe and Veilgate.dll in a Wine prefix of its own, opens a page
# in the page host (which plays the browser), presses the extension's button and shows the zone
# dialog with the page's domains.
#
# With a display (DISPLAY set) the windows are yours: move domains between zones, then close the
# dialog and the browser window. Without one it runs on a private X server, saves a picture of the
# dialog, prints the page's rows (domain, zone, features) and where the picture is, and ends.
#
# It runs the shipped i686 build where this host runs 32-bit programs, and the x86_64 build
# elsewhere (VGT_TARGET chooses).
#
# Usage: tools/run.sh [page file | URL]     (default: the sample news page with frames)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
top=${VGT_BUILD:-$here/build}
. "$here/tools/targets.sh"

"$here/tools/setup.sh"
VGT_TARGET=$(vgt_main_target)
export VGT_TARGET
build=$(vgt_target_build "$top" "$VGT_TARGET")
export VGT_TARGET_BUILD=$build
"$here/tools/build.sh" --target VgtDialog Veilgate Tunewright vgt_catalogs PageHost WindowShot \
  pagehost_pages
bin=$build/bin
echo "Built for $VGT_TARGET: $(cd "$bin" && ls VgtDialog.exe Veilgate.dll Tunewright.exe | tr '\n' ' ')"

page=${1:-http://www.dailyherald.example/}
case "$page" in
  *://*|about:*) ;;
  *) [ -f "$page" ] || { echo "no such page: $page" >&2; exit 1; }
     page=$(cd "$(dirname "$page")" && pwd)/$(basename "$page") ;;
esac

. "$here/tools/winenv.sh"
trap winenv_stop EXIT
run=$top/run
mkdir -p "$run"
user_display=${DISPLAY:-}
if [ -n "$user_display" ]; then winenv_start "$run" keep-display; else winenv_start "$run"; fi

cd "$bin"
wine VgtDialog.exe /regserver </dev/null
wine regsvr32 /s Veilgate.dll </dev/null
case "$page" in
  /*) page=$(winenv_path "$page") ;;
esac
host=(wine PageHost.exe /observer Veilgate.vgtBrowserObserver /button Veilgate.vgtToolbutton
      /press /wait "$page")

if [ -z "$user_display" ]; then
  picture=$run/zone-dialog.png
  rm -f "$picture"
  echo "Page: $page"
  # The page's rows as the dialog lists them: the walk the extension makes, with each zone.
  wine PageHost.exe /walk "$page" </dev/null | tr -d '\r' | sed -n '/^domains/,$p'
  "${host[@]}" </dev/null >"$run/pagehost.log" 2>&1 &
  host_pid=$!
  status=0
  wine WindowShot.exe /owner VeilgatePageHostWindow /out "$(winenv_path "$picture")" \
    /timeout 120 /close </dev/null | tr -d '\r' || status=$?
  wait "$host_pid" || true
  if [ $status -ne 0 ] || [ ! -s "$picture" ]; then
    echo "The zone dialog did not appear; the page host said:" >&2
    cat "$run/pagehost.log" >&2
    exit 1
  fi
  echo "Picture of the zone dialog: $picture"
else
  echo "Page: $page — the zone dialog opens over the browser window; close both to end."
  "${host[@]}" </dev/null
fi
