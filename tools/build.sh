#!/usr/bin/env bash
# Configures and builds everything (deliverables, catalogs, tests) for one target: VGT_TARGET,
# i686 (the default: what ships, into build/ or $VGT_BUILD) or x86_64 (into build/x86_64).
# Arguments go to cmake --build (for example: --target VgtDialog).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/tools/targets.sh"
target=${VGT_TARGET:-i686}
case "$target" in
  i686) emulator=/usr/lib/wine/wine ;;
  x86_64) emulator=/usr/lib/wine/wine64 ;;
  *) echo "build: no target '$target' (i686 or x86_64)" >&2; exit 2 ;;
esac
build=$(vgt_target_build "${VGT_BUILD:-$here/build}" "$target")
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$target.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
fi
cmake --build "$build" "$@"
