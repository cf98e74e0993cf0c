#!/usr/bin/env bash
# Installs the Debian 12 packages Tessaro needs; skips what is there.
#   scripts/install-deps.sh          what building and running need
#   scripts/install-deps.sh --test   also the tests', fuzzers' and benchmarks' tools
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libcli11-dev libssl-dev
  qt6-base-dev qt6-translations-l10n fonts-nanum
)
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
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "These Debian packages are missing, and installing them needs root. As root, run:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    echo "then run this command again." >&2
    exit 1
  fi
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
