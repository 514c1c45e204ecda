#!/usr/bin/env bash
# Configures and builds the given presets (default: native, win64, win32).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for preset in "${@:-native win64 win32}"; do
  for p in $preset; do
    [ -f "build/$p/build.ninja" ] || cmake --preset "$p" >/dev/null
    cmake --build --preset "$p"
  done
done
