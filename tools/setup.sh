#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Plumeroll need, and those
# given as arguments (the benchmarks' and the package's own).
#
#   tools/setup.sh [PACKAGE...]
#
# Quick when everything is present. The 32-bit Wine (wine32, from Debian's i386 architecture)
# runs the i686 program beside the 64-bit Wine, which runs the x86_64 one.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev libstb-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 fonts-wine xvfb xauth
  imagemagick x11-apps
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || "${sudo[@]}" dpkg --add-architecture i386
"${sudo[@]}" apt-get update -qq
if ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  if ! apt-cache policy wine32:i386 2>/dev/null | grep -q 'Candidate: [0-9]'; then
    echo "setup: the 32-bit Wine (package wine32:i386) cannot be had from this machine's" \
      "package sources; the i686 program's tests need it. Add an i386 source for Debian's" \
      "packages, then run this again." >&2
  else
    echo "setup: apt-get could not install: ${missing[*]}" >&2
  fi
  exit 1
fi
