#!/usr/bin/env bash
# The Windows half of the test command; runs inside the virtual X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source "$root/tools/wine-env.sh"
wine_prefix_up
trap wine_prefix_down EXIT
ctest --preset win64
