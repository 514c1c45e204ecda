#!/usr/bin/env bash
# The start-up section of tools/bench.sh: time from process start until the main window is shown
# and idle, plumeroll.exe against an empty window built the same way, both under the same Wine in
# the same run; and the size of plumeroll.exe in the x86_64 and i686 builds.
#
#   bench/startup/run-startup.sh [RUNS]      (default 10 runs of each program)
#
# Builds what it needs in the win64 and win32 presets (build/win64, build/win32; WIN64_BUILD_DIR
# and WIN32_BUILD_DIR name other, already configured, build folders). Runs in a private Wine
# prefix (bench-startup/wineprefix in the win64 build folder) on a virtual display when there is
# no display, and stops that prefix's server at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
runs=${1:-10}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

win64=$(realpath -m "${WIN64_BUILD_DIR:-build/win64}")
win32=$(realpath -m "${WIN32_BUILD_DIR:-build/win32}")
build() {  # PRESET FOLDER TARGET...
  local preset=$1 folder=$2
  shift 2
  [ -f "$folder/build.ninja" ] || cmake --preset "$preset" >/dev/null
  cmake --build "$folder" --target "$@"
}
build win64 "$win64" plumeroll plumeroll_empty_window plumeroll_startup_bench
build win32 "$win32" plumeroll

export WINEPREFIX="$win64/bench-startup/wineprefix"
source "$root/tools/wine-env.sh"
# Not fatal if the server cannot be kept alive: the programs of the run keep it up.
wine_prefix_up >/dev/null || true
trap wine_prefix_down EXIT

win() { winepath -w "$1" 2>/dev/null; }
echo "== Start-up (plumeroll.exe vs an empty window, $runs runs each, Wine $(wine --version 2>/dev/null))"
wine "$(win "$win64/bench/startup/plumeroll_startup_bench.exe")" "$runs" \
  "$(win "$win64/app/plumeroll.exe")" \
  "$(win "$win64/bench/startup/plumeroll_empty_window.exe")"

echo "== Size of plumeroll.exe"
for target in "win64 (x86_64):$win64" "win32 (i686):$win32"; do
  exe="${target#*:}/app/plumeroll.exe"
  size=$(stat -c %s "$exe")
  printf '%-15s %9d bytes (%d KiB)\n' "${target%%:*}" "$size" $(((size + 1023) / 1024))
done
