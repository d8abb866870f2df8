#!/usr/bin/env bash
# Builds static Windows (i686-w64-mingw32) libraries of FreeType, libpng, libjpeg-turbo, libogg and
# libvorbis (with vorbisfile) from Debian's source packages into one prefix. zlib comes packaged
# (libz-mingw-w64-dev). The prefix is keyed by the source versions and this script's contents, and
# lives outside the source tree, so fresh clones on the same machine reuse it.
#
# Prints ORVEL_DEPS=<prefix> as its last line.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=${ORVEL_CACHE:-/var/cache/orvel}
sources=(libogg libvorbis libpng1.6 libjpeg-turbo freetype)

# The archive may list versions it no longer serves (a superseded security update, say), so each
# source package is tried newest first; the key covers every listed version.
versions_of() { apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u -r -V; }
listed=""
for s in "${sources[@]}"; do
  v=$(versions_of "$s" | tr '\n' ' ')
  [ -n "$v" ] || { echo "build-win32-deps: no source package for $s (is deb-src enabled?)" >&2; exit 1; }
  listed+="$s $v;"
done
key=$( { echo "$listed"; cat "$here/build-win32-deps.sh" "$here/../cmake/toolchain-mingw32.cmake"; } | sha256sum | cut -c1-16)
prefix="$root/win32-deps-$key"

if [ -f "$prefix/.complete" ]; then
  echo "ORVEL_DEPS=$prefix"
  exit 0
fi

mkdir -p "$root"
rm -rf "$prefix"
work=$(mktemp -d "$root/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
jobs=$(nproc)
host=i686-w64-mingw32
sysroot=/usr/$host

cd "$work"
fetch_source() {  # fetch_source <source package>: newest version the archive serves
  local v
  mkdir "$work/$1"
  for v in $(versions_of "$1"); do
    if (cd "$work/$1" && apt-get source -qq "$1=$v" >"$work/$1.log" 2>&1); then
      echo "$1 $v" >>"$work/versions"
      return 0
    fi
    rm -rf "${work:?}/$1" && mkdir "$work/$1"
  done
  echo "build-win32-deps: no version of source package $1 could be fetched:" >&2
  cat "$work/$1.log" >&2
  exit 1
}
for s in "${sources[@]}"; do fetch_source "$s"; done
tree_of() { find "$work/$1" -mindepth 1 -maxdepth 1 -type d | head -n1; }

export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export CPPFLAGS="-I$prefix/include -I$sysroot/include"
export LDFLAGS="-L$prefix/lib -L$sysroot/lib"
export CFLAGS="-O2"
export CC=$host-gcc-posix CXX=$host-g++-posix

run_logged() {  # run_logged <name> <command...>
  local name=$1; shift
  if ! "$@" >"$work/$name.log" 2>&1; then
    echo "build-win32-deps: building $name failed; end of its log:" >&2
    tail -n 40 "$work/$name.log" >&2
    exit 1
  fi
}

autotools() {  # autotools <source package> [configure args...]
  local name=$1 dir; shift
  dir=$(tree_of "$name")
  run_logged "$name" bash -c 'cd "$1" && shift && ./configure --host=i686-w64-mingw32 "$@" && make -j"$JOBS" && make install' \
    bash "$dir" --prefix="$prefix" --disable-shared --enable-static "$@"
}

cmake_build() {  # cmake_build <source package> [cmake args...]
  local name=$1 dir; shift
  dir=$(tree_of "$name")
  run_logged "$name" bash -c 'cmake -S "$1" -B "$1/_build" "${@:2}" && cmake --build "$1/_build" && cmake --install "$1/_build"' \
    bash "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/toolchain-mingw32.cmake" \
    -DORVEL_DEPS="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
}
export JOBS=$jobs

autotools libogg
autotools libvorbis --with-ogg="$prefix" --disable-examples --disable-docs
autotools libpng1.6
cmake_build libjpeg-turbo -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
cmake_build freetype -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_BROTLI=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON

for lib in freetype png16 jpeg vorbisfile vorbis ogg; do
  [ -f "$prefix/lib/lib$lib.a" ] || { echo "build-win32-deps: lib$lib.a missing after the build" >&2; exit 1; }
done
cp "$work/versions" "$prefix/.complete"
echo "ORVEL_DEPS=$prefix"
