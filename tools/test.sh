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

cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
