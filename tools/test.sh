#!/usr/bin/env bash
# Runs every test: installs what is missing, builds native, win64 and win32, runs the native
# tests, then the Windows tests of both programs under Wine on a virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/tools/setup.sh"

# A new Wine prefix takes a while to make and asks little of the processor: it is made while
# the programs build.
mkdir -p build
xvfb-run -a bash -c "root='$root'; source '$root/tools/wine-env.sh'; wine_prefix_up; wine_prefix_down" \
  >build/wineprefix.log 2>&1 &
prefix=$!

"$root/tools/build.sh" native win64 win32

echo "== Native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --preset native

wait "$prefix" || { cat build/wineprefix.log; exit 1; }
echo "== Windows tests under Wine: the x86_64 program, then the i686 one"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/tools/test-wine.sh"
