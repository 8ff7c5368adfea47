#!/usr/bin/env bash
# Makes the release a user installs: builds the three deliverables and their catalogs, lays out
# the installable folder build/release/Veilgate-<version>/ (the deliverables without debug
# information, locale\<code>\LC_MESSAGES\*.mo, ReadMe.txt) and packs it as
# build/release/Veilgate-<version>.zip. The debug information stays in build/bin as <file>.debug.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VGT_BUILD:-$here/build}
export VGT_BUILD=$build

"$here/tools/setup.sh" >/dev/null
VGT_TARGET=i686 "$here/tools/build.sh" --target vgt_release >/dev/null
zip=$(ls -t "$build"/release/Veilgate-*.zip | head -n 1)
folder=${zip%.zip}
echo "Installable folder: $folder"
(cd "$folder" && find . -type f | sort | sed 's|^\./|  |' | while read -r f; do
  printf '  %-40s %9s bytes\n' "$f" "$(stat -c %s "$f")"; done)
echo "Zip: $zip ($(stat -c %s "$zip") bytes)"
