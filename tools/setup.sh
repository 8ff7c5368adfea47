#!/usr/bin/env bash
# Installs everything the build and the test suite need on a fresh Debian 12 machine, and builds
# the third-party target libraries from Debian's source packages into a cache outside the checkout.
# Idempotent: a second run only checks.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${VEILGATE_DEPS:-/var/cache/veilgate-deps}
as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"

# fonts-wine draws Wine's caption buttons (its Marlett); fonts-wqy-microhei draws CJK text.
packages=(g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev wine wine32:i386 xvfb xauth
          gettext cmake ninja-build googletest dpkg-dev
          fonts-wine fonts-wqy-microhei)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

src_list=/etc/apt/sources.list.d/veilgate-src.sources
need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $as_root dpkg --add-architecture i386
  need_update=1
fi
if [ ! -f "$src_list" ]; then
  # Source entries for the same suites as the binary ones, so apt-get source finds what we build.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$src_list" ] && continue
    sed -n '/^Types: deb$/,/^$/p' "$f" | sed 's/^Types: deb$/Types: deb-src/'
    echo
  done | $as_root tee "$src_list" >/dev/null
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | grep -v 'google\|nodesource' | sed 's/^deb /deb-src /' \
      | $as_root tee /etc/apt/sources.list.d/veilgate-src.list >/dev/null || true
  fi
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  $as_root apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

toolchain="$here/cmake/mingw-i686.cmake"
mkdir -p "$cache"

# Builds one Debian source package for the target, once per version.
build_source_package() {
  local name=$1; shift
  local version
  version=$(apt-cache showsrc "$name" | awk '/^Version:/ {print $2; exit}')
  [ -n "$version" ] || { echo "no source package $name" >&2; exit 1; }
  local prefix="$cache/$name-${version//:/_}"
  if [ -f "$prefix/.done" ]; then return 0; fi
  local work="$cache/build/src-$name-${version//:/_}"
  rm -rf "$work" "$prefix"; mkdir -p "$work"
  ( cd "$work"
    apt-get source --download-only -q "$name=$version" >/dev/null 2>&1
    dpkg-source --no-check -x ./*.dsc src >/dev/null )
  "build_$name" "$work/src" "$prefix" "$work/build"
  touch "$prefix/.done"
  rm -rf "$work"
  echo "built $name $version into $prefix"
}

build_libjpeg-turbo() {
  local src=$1 prefix=$2 build=$3
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -Wno-dev \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DWITH_SIMD=0 \
    -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 -DWITH_JPEG8=0 >/dev/null
  cmake --build "$build" --target install >/dev/null
}

# The page host's HTML parser: libxml2's HTML reader, static, without optional codecs.
build_libxml2() {
  local src=$1 prefix=$2 build=$3
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF \
    -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_THREADS=ON -DLIBXML2_WITH_TESTS=OFF \
    -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF \
    -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_ICU=OFF -Wno-dev >/dev/null
  cmake --build "$build" --target install >/dev/null
}

build_source_package libjpeg-turbo
build_source_package libxml2

# Where the build finds them.
{
  echo "set(VEILGATE_JPEG_PREFIX \"$(ls -d "$cache"/libjpeg-turbo-* | tail -n 1)\")"
  echo "set(VEILGATE_XML2_PREFIX \"$(ls -d "$cache"/libxml2-* | tail -n 1)\")"
} > "$cache/deps.cmake"
echo "setup done: dependencies in $cache"
