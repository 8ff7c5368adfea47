#!/usr/bin/env bash
# Configures and builds everything (deliverables, catalogs, tests) into build/ (or $VGT_BUILD).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VGT_BUILD:-$here/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
fi
cmake --build "$build" "$@"
