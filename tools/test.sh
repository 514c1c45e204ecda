#!/usr/bin/env bash
# Runs every test: installs what is missing, builds native, win64 and win32, runs the native
# tests, then the Windows tests under Wine on a virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/tools/setup.sh"
"$root/tools/build.sh" native win64 win32

echo "== Native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --preset native

echo "== The i686 program's imports (the x86_64 one's run with the Windows tests)"
ctest --preset win32

echo "== Windows tests under Wine"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/tools/test-wine.sh"
