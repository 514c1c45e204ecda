#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Plumeroll need, and those
# given as arguments (the benchmarks' and the package's own).
#
#   tools/setup.sh [PACKAGE...]
#
# Quick when everything is present. Never installs wine32: it cannot run on the build machines
# and it makes the wine launcher pick the 32-bit loader.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev libstb-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine xvfb xauth
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
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
