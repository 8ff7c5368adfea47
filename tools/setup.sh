#!/usr/bin/env bash
# Installs everything the build and the test suite need on a fresh Debian 12 machine, and builds
# the third-party target libraries from Debian's source packages into a cache outside the checkout,
# for both targets: i686 (what ships) and x86_64. Runs one 32-bit program first to find out whether
# this host can run the i686 build; 32-bit Wine is installed only where it can.
# Idempotent: a second run only checks. Every step says what failed and what to do about it.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${VEILGATE_DEPS:-/var/cache/veilgate-deps}
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"

fail() { echo "setup: $*" >&2; exit 1; }
. "$here/tools/targets.sh"

# Where apt keeps its lists, which release this is, and the pause between retries (seconds per
# try): the system's own unless a test of this script names others.
apt_etc=${VEILGATE_APT_ETC:-/etc/apt}
os_release=${VEILGATE_OS_RELEASE:-/etc/os-release}
pause=${VEILGATE_RETRY_PAUSE:-5}

# fonts-wine draws Wine's caption buttons (its Marlett); fonts-wqy-microhei draws CJK text.
packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev
          wine wine64 xvfb xauth gettext cmake ninja-build googletest dpkg-dev zip unzip
          fonts-wine fonts-wqy-microhei)
source_packages=(libjpeg-turbo libxml2)
if vgt_probe_32bit; then
  runs32=1
  echo "setup: this host runs 32-bit programs: the suite runs for i686 and x86_64"
  packages+=(wine32:i386)
else
  runs32=
  echo "setup: this host runs no 32-bit programs (a 32-bit program ended with: $VGT_PROBE_32BIT_SAYS);"
  echo "setup: the shipped i686 files are built, and the suite runs for x86_64 only"
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# Source entries for the same suites as the binary ones, so apt-get source finds what we build.
# Written from both styles of list (deb822 .sources files and the one-line sources.list), and
# rewritten whenever the file holds no entry, so an interrupted first run does not stick.
src_list=$apt_etc/sources.list.d/veilgate-src.sources
src_list_legacy=$apt_etc/sources.list.d/veilgate-src.list
write_source_lists() {
  local f
  for f in "$apt_etc"/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$src_list" ] || continue
    sed -n '/^Types: deb$/,/^$/p' "$f" | sed 's/^Types: deb$/Types: deb-src/'
    echo
  done | $as_root tee "$src_list" >/dev/null
  if [ -f "$apt_etc/sources.list" ]; then
    { grep -E '^deb ' "$apt_etc/sources.list" || true; } | grep -v 'google\|nodesource' \
      | sed 's/^deb /deb-src /' | $as_root tee "$src_list_legacy" >/dev/null
  fi
}
has_source_entries() {
  grep -qs '^Types: deb-src' "$src_list" || grep -qs '^deb-src ' "$src_list_legacy"
}

need_update=0
if [ -n "$runs32" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $as_root dpkg --add-architecture i386
  need_update=1
fi
if ! has_source_entries; then
  write_source_lists
  has_source_entries || fail "found no Debian package source (deb lines) in $apt_etc/sources.list or
  $apt_etc/sources.list.d/*.sources to derive source entries from; add one and run again"
  need_update=1
fi
for s in "${source_packages[@]}"; do
  [ -n "$(apt-cache showsrc "$s" 2>/dev/null | awk '/^Version:/ {print $2; exit}')" ] || need_update=1
done

# A mirror caught mid-sync fails one index now and then; what is needed may still resolve from the
# others. Try a few times, then go on and let the install and the source look-ups decide.
update_failed=0
apt_update() {
  local try
  for try in 1 2 3; do
    if $as_root apt-get update -q; then update_failed=0; return 0; fi
    update_failed=1
    echo "setup: apt-get update failed (try $try of 3)" >&2
    [ $try -lt 3 ] && sleep $((try * pause))
  done
  echo "setup: going on with the package lists apt has; a missing package is reported below" >&2
}
if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  apt_update
fi
apt_install() {
  DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -q --no-install-recommends "$@"
}
if [ ${#missing[@]} -gt 0 ] && ! apt_install "${missing[@]}"; then
  # With one architecture's index of an update suite missing, the other architecture's newer
  # versions cannot pair with it; the release's own versions always pair.
  codename=$(. "$os_release" && echo "${VERSION_CODENAME:-}")
  if [ $update_failed -eq 1 ] && [ -n "$codename" ]; then
    echo "setup: retrying the install from the $codename release itself, without its updates" >&2
    apt_install -t "$codename" "${missing[@]}" || update_failed=2
  else
    update_failed=2
  fi
  [ $update_failed -ne 2 ] || fail "could not install: ${missing[*]}. If apt-get update reported a
  failed index above, the package mirror may be mid-sync: run tools/setup.sh again in a few minutes."
fi

mkdir -p "$cache"

# Builds one Debian source package for one target, once per version, into $cache/<target>.
build_source_package() {
  local name=$1 target=$2
  local version
  version=$(apt-cache showsrc "$name" 2>/dev/null | awk '/^Version:/ {print $2; exit}')
  if [ -z "$version" ]; then
    # Already built once: keep using that build rather than failing without the index.
    local built; built=$(ls -d "$cache/$target/$name"-*/.done 2>/dev/null | tail -n 1)
    [ -n "$built" ] && return 0
    fail "no source package $name in apt's lists; check the deb-src entries in $src_list
  (or $src_list_legacy), run apt-get update, then run tools/setup.sh again"
  fi
  local prefix="$cache/$target/$name-${version//:/_}"
  if [ -f "$prefix/.done" ]; then return 0; fi
  local work="$cache/build/src-$target-$name-${version//:/_}"
  rm -rf "$work" "$prefix"; mkdir -p "$work"
  local log="$cache/build/$target-$name.log" try
  for try in 1 2 3; do
    if ( cd "$work" && apt-get source --download-only -q "$name=$version" ) >"$log" 2>&1; then break; fi
    [ $try -lt 3 ] || fail "apt-get source $name=$version failed; its output:
$(tail -n 15 "$log")"
    sleep $((try * pause))
  done
  ( cd "$work" && dpkg-source --no-check -x ./*.dsc src ) >>"$log" 2>&1 \
    || fail "unpacking $name $version failed; see $log"
  "build_$name" "$work/src" "$prefix" "$work/build" "$here/cmake/mingw-$target.cmake" >>"$log" 2>&1 \
    || fail "building $name $version for $target failed; see $log"
  touch "$prefix/.done"
  rm -rf "$work"
  echo "built $name $version for $target into $prefix"
}

build_libjpeg-turbo() {
  local src=$1 prefix=$2 build=$3 toolchain=$4
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -Wno-dev \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DWITH_SIMD=0 \
    -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 -DWITH_JPEG8=0
  cmake --build "$build" --target install
}

# The page host's HTML parser: libxml2's HTML reader, static, without optional codecs.
build_libxml2() {
  local src=$1 prefix=$2 build=$3 toolchain=$4
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF \
    -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_THREADS=ON -DLIBXML2_WITH_TESTS=OFF \
    -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF \
    -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_ICU=OFF -Wno-dev
  cmake --build "$build" --target install
}

for target in i686 x86_64; do
  for s in "${source_packages[@]}"; do build_source_package "$s" "$target"; done
  # Where that target's build finds them; written only when it changes, so the build does not
  # reconfigure.
  deps=$(printf 'set(VEILGATE_JPEG_PREFIX "%s")\nset(VEILGATE_XML2_PREFIX "%s")\n' \
    "$(dirname "$(ls -d "$cache/$target"/libjpeg-turbo-*/.done | tail -n 1)")" \
    "$(dirname "$(ls -d "$cache/$target"/libxml2-*/.done | tail -n 1)")")
  if [ "$(cat "$cache/deps-$target.cmake" 2>/dev/null)" != "$deps" ]; then
    printf '%s\n' "$deps" > "$cache/deps-$target.cmake"
  fi
done
echo "setup done: dependencies in $cache"
