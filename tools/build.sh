#!/usr/bin/env bash
# Configures and builds the given presets (default: native, win64, win32). A build folder is
# configured again when the presets changed since it was made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for preset in "${@:-native win64 win32}"; do
  for p in $preset; do
    [ "build/$p/build.ninja" -nt CMakePresets.json ] || cmake --preset "$p" >/dev/null
    cmake --build --preset "$p"
  done
done
