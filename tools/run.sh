#!/usr/bin/env bash
# The main job: installs what is missing and builds the three deliverables into build/bin with
# their catalogs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
"$here/tools/build.sh" --target VgtDialog Veilgate Tunewright vgt_catalogs
echo "Built: $(cd "${VGT_BUILD:-$here/build}/bin" && ls VgtDialog.exe Veilgate.dll Tunewright.exe | tr '\n' ' ')"
