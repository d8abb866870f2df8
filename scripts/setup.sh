#!/usr/bin/env bash
# Installs everything the two builds, the tests and the benchmarks need on Debian 12, then builds
# the Windows (i686-w64-mingw32) versions of the third-party libraries from Debian's source
# packages into a prefix kept outside the source tree.
#
# Idempotent: with every package present and the prefix built, a run takes a few seconds.
# Prints the prefix on its last line as ORVEL_DEPS=<path>.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  # build
  cmake ninja-build make g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  pkg-config dpkg-dev python3 git ca-certificates
  # native libraries
  libfreetype-dev libpng-dev libjpeg62-turbo-dev libogg-dev libvorbis-dev zlib1g-dev
  # cross toolchain and Windows SDK
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev libz-mingw-w64-dev
  # Wine for 32-bit programs, one X server for the whole test run
  wine wine32 wine64 xvfb xauth x11-apps xdotool libgl1-mesa-dri:i386 libgl1:i386
  # peers for comparisons and external checks
  libpugixml-dev libtinyxml2-dev glslang-tools libstb-dev libphysfs-dev vorbis-tools sox
  imagemagick fonts-dejavu-core
)

missing_packages() {
  local p status
  for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || echo "$p"
  done
}

enable_sources() {
  # i386 for 32-bit Wine, deb-src for the Windows library builds
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  local f=/etc/apt/sources.list.d/debian.sources
  if [ -f "$f" ] && grep -q '^Types: deb$' "$f"; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
  elif [ ! -f "$f" ] && [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
  fi
}

have_source_indexes() {
  ls /var/lib/apt/lists/*_source_Sources* >/dev/null 2>&1
}

todo=$(missing_packages)
if [ -n "$todo" ] || ! have_source_indexes; then
  enable_sources
  $SUDO apt-get update -q
  todo=$(missing_packages)
  if [ -n "$todo" ]; then
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $todo
  fi
fi

# 32-bit Wine needs the kernel to run i386 programs. Some virtual machines cannot; there a user-mode
# emulator is registered for i386 ELF files. It must be qemu 8.1 or newer (bookworm-backports):
# older ones ignore MAP_FIXED_NOREPLACE, which turns Wine's address-space set-up into a minute of
# retries per process.
i386_runs() { /lib/ld-linux.so.2 --help >/dev/null 2>&1; }
qemu_is_new_enough() {
  local v
  v=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null) || return 1
  dpkg --compare-versions "$v" ge 1:8.1
}
if ! i386_runs; then
  echo "setup: this kernel does not run i386 programs; registering qemu-i386 for them"
  if ! qemu_is_new_enough; then
    backports=/etc/apt/sources.list.d/orvel-backports.sources
    if [ ! -f "$backports" ]; then
      printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
        'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' | $SUDO tee "$backports" >/dev/null
    fi
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends -t bookworm-backports qemu-user-static
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
  # an old entry keeps the emulator binary it was registered with open, so register afresh
  [ -e "$binfmt/qemu-i386" ] && echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null
  echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    | $SUDO tee "$binfmt/register" >/dev/null
  i386_runs || { echo "setup: i386 programs still do not run; 32-bit Wine cannot work here" >&2; exit 1; }
fi

"$here/build-win32-deps.sh"
