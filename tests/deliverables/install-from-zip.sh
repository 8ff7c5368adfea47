#!/usr/bin/env bash
# The release zip as a user gets it: unpacked to a folder of its own, it holds exactly the three
# deliverables, a catalog for every translation and the read-me; the programs pass the checks of
# check-imports.sh; and in a Wine prefix of its own "VgtDialog.exe /regserver" and
# "regsvr32 Veilgate.dll" register the classes from that folder, and unregistering removes them.
# Usage: install-from-zip.sh i686|x86_64 ZIP SOURCE_LOCALE_DIR CHECK_IMPORTS_SCRIPT WINENV_SCRIPT
set -u
export VGT_TARGET=$1
zip=$2 locale_src=$3 check=$4
. "$5"
winenv_environment
work=$(mktemp -d)
# The launcher gives every test program a prefix of its own; run by hand, the script makes one.
[ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/system.reg" ] || export WINEPREFIX=$work/prefix
# The type library's key is the one of the server's own bitness.
platform=win32
[ "$VGT_TARGET" = x86_64 ] && platform=win64
cleanup() {
  wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

unzip -q "$zip" -d "$work/unpacked" || { echo "FAIL: cannot unpack $zip"; exit 1; }
folder=$(find "$work/unpacked" -mindepth 1 -maxdepth 1)
[ "$(wc -l <<<"$folder")" -eq 1 ] && [ -d "$folder" ] || { echo "FAIL: the zip's top is not one folder"; exit 1; }

expected=$(printf '%s\n' VgtDialog.exe Tunewright.exe Veilgate.dll ReadMe.txt
           for po in "$locale_src"/*/*.po; do
             code=$(basename "$(dirname "$po")"); domain=$(basename "$po" .po)
             echo "locale/$code/LC_MESSAGES/$domain.mo"
           done)
found=$(cd "$folder" && find . -type f | sed 's|^\./||')
if [ "$(sort <<<"$expected")" != "$(sort <<<"$found")" ]; then
  fail "the folder holds other files than expected:"
  diff <(sort <<<"$expected") <(sort <<<"$found")
fi
grep -q $'\r$' "$folder/ReadMe.txt" || fail "ReadMe.txt has no Windows line ends"
bash "$check" "$VGT_TARGET" "$folder/VgtDialog.exe" "$folder/Tunewright.exe" "$folder/Veilgate.dll" || status=1

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot -i </dev/null || { echo "FAIL: no Wine prefix"; exit 1; }
fi
exe=$(winenv_path "$folder/VgtDialog.exe")
dll=$(winenv_path "$folder/Veilgate.dll")
# reg_value KEY [VALUE]: the value's data (the default value without VALUE), or nothing.
reg_value() {
  local out
  if [ $# -gt 1 ]; then out=$(wine reg query "$1" /v "$2" 2>/dev/null </dev/null)
  else out=$(wine reg query "$1" /ve 2>/dev/null </dev/null); fi
  sed -n 's/^ .*REG_[A-Z_]*    //p' <<<"$out" | tr -d '\r' | head -n 1
}
same_path() { [ "${1,,}" = "${2,,}" ]; }

zone_dialog='HKCR\CLSID\{63B29DC0-66BF-4D1D-A9CB-516C6588A74C}'
type_library='HKCR\TypeLib\{482F4155-BC8A-45FD-BF02-27C3B490C7F8}'
button='HKCR\CLSID\{A9F8F244-3205-44FD-9CE2-A6CA12190355}'
observer='HKCR\CLSID\{0AB3005D-CE10-4921-B186-3CD1C74616C9}'

(cd "$folder" && wine VgtDialog.exe /regserver </dev/null) || fail "VgtDialog.exe /regserver failed"
(cd "$folder" && wine regsvr32 /s Veilgate.dll </dev/null) || fail "regsvr32 Veilgate.dll failed"
same_path "$(reg_value "$zone_dialog\\LocalServer32")" "$exe" \
  || fail "ZoneDialog's server is '$(reg_value "$zone_dialog\\LocalServer32")', not $exe"
[ "$(reg_value 'HKCR\VgtDialog.ZoneDialog\Clsid')" = '{63B29DC0-66BF-4D1D-A9CB-516C6588A74C}' ] \
  || fail "the ProgID VgtDialog.ZoneDialog does not name the class"
same_path "$(reg_value "$type_library\\1.0\\0\\$platform")" "$exe" \
  || fail "the type library is at '$(reg_value "$type_library\\1.0\\0\\$platform")', not $exe"
for c in "$button" "$observer"; do
  same_path "$(reg_value "$c\\InprocServer32")" "$dll" \
    || fail "$c's server is '$(reg_value "$c\\InprocServer32")', not $dll"
  [ "$(reg_value "$c\\InprocServer32" ThreadingModel)" = Apartment ] || fail "$c is not an apartment class"
done

(cd "$folder" && wine VgtDialog.exe /unregserver </dev/null) || fail "VgtDialog.exe /unregserver failed"
(cd "$folder" && wine regsvr32 /u /s Veilgate.dll </dev/null) || fail "regsvr32 /u Veilgate.dll failed"
for k in "$zone_dialog" "$type_library" 'HKCR\VgtDialog.ZoneDialog' "$button" "$observer"; do
  wine reg query "$k" >/dev/null 2>&1 </dev/null && fail "$k is still there after unregistering"
done
[ $status -eq 0 ] && echo "installed from $(basename "$zip"), registered and unregistered"
exit $status
