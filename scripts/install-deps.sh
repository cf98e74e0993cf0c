#!/usr/bin/env bash
# Installs the Debian 12 packages Tessaro needs; skips what is there.
#   scripts/install-deps.sh          what building and running need
#   scripts/install-deps.sh --test   also the tests', fuzzers' and benchmarks' tools
#   scripts/install-deps.sh --windows  the mingw-w64 cross compilers, wine and the dialog's test tools
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libcli11-dev libssl-dev
  qt6-base-dev qt6-translations-l10n fonts-nanum
)
if [ "${1:-}" = "--windows" ]; then
  packages=(
    cmake make libcli11-dev googletest
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine64 wine32:i386
    xvfb xauth xdotool imagemagick fonts-nanum
  )
fi
if [ "${1:-}" = "--test" ]; then
  packages+=(
    libgtest-dev libgmock-dev
    xvfb xauth imagemagick socat
    clang libclang-rt-14-dev valgrind python3 time
  )
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
as_root=()
add_i386=false
# wine32 is a package of the i386 architecture.
if [ "${1:-}" = "--windows" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  add_i386=true
fi
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "These Debian packages are missing, and installing them needs root. As root, run:" >&2
    $add_i386 && echo "  dpkg --add-architecture i386" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    echo "then run this command again." >&2
    exit 1
  fi
  as_root=(sudo)
fi
if $add_i386; then "${as_root[@]}" dpkg --add-architecture i386; fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
