#!/usr/bin/env bash
# The Windows half of the test command; runs inside the virtual X display. Both builds' tests
# run, one after the other, in the one prefix; a failure in either fails the whole.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source "$root/tools/wine-env.sh"
wine_prefix_up
trap wine_prefix_down EXIT
status=0
ctest --preset win64 || status=1
ctest --preset win32 || status=1
exit $status
