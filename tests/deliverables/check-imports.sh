#!/usr/bin/env bash
# Fails unless every file given is what a Windows user installs: an image of the build's target
# (i686: PE32 for i386, what ships; x86_64: PE32+ for AMD64) whose imported DLLs are all system
# DLLs, without debug information, and under 3 MB.
# Usage: check-imports.sh i686|x86_64 FILE...
set -u
target=$1; shift
case "$target" in
  i686) magic=010b format=pei-i386 kind="PE32 i386" ;;
  x86_64) magic=020b format=pei-x86-64 kind="PE32+ AMD64" ;;
  *) echo "no target '$target'"; exit 2 ;;
esac
max_bytes=$((3 * 1024 * 1024))
declare -A system_dll
for d in kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 comctl32 comdlg32 uxtheme winmm \
         version urlmon wininet shlwapi msvcrt ws2_32 bcrypt msimg32 rpcrt4 imm32; do
  system_dll[$d.dll]=1
done
system_dll[winspool.drv]=1
status=0
for f in "$@"; do
  dump=$("$target-w64-mingw32-objdump" -p -h "$f") || { echo "$f: not readable"; status=1; continue; }
  if ! grep -q "^Magic[[:space:]]*$magic" <<<"$dump" || ! grep -q "file format $format\$" <<<"$dump"; then
    echo "$f: not a $kind image"; status=1
  fi
  while read -r dll; do
    lower=$(tr 'A-Z' 'a-z' <<<"$dll")
    if [ -z "${system_dll[$lower]:-}" ]; then
      echo "$f: imports $dll, which is not a Windows system DLL"; status=1
    fi
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
  if grep -q '^ *[0-9]\+ \.debug_' <<<"$dump"; then
    echo "$f: carries debug information"; status=1
  fi
  size=$(stat -c %s "$f")
  if [ "$size" -ge "$max_bytes" ]; then
    echo "$f: $size bytes, not under 3 MB"; status=1
  fi
  echo "$f: $size bytes; $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr '\n' ' ')"
done
exit $status
