#!/usr/bin/env bash
# The Windows sections of tools/bench.sh, under Wine:
#   startup  time from process start until the main window is shown and idle, plumeroll.exe
#            against an empty window built the same way, with no background registered and
#            with a 4000 x 3000 one; and the size of plumeroll.exe in the x86_64 and i686 builds
#   paint    the image box painting a 4000 x 3000 picture, first and again
#   resize   the resize as the program does it, from the picture INPUT, to 1024 x 150 and to
#            9999 x 9999: the phases and the whole
#
#   bench/win32/run-win32.sh SECTION [RUNS [INPUT]]      (default 10 runs)
#
# Builds what it needs in the win64 and win32 presets (build/win64, build/win32; WIN64_BUILD_DIR
# and WIN32_BUILD_DIR name other, already configured, build folders). Runs in a private Wine
# prefix (bench-wine/wineprefix in the win64 build folder) on a virtual display when there is
# no display, and stops that prefix's server at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
section=${1:?usage: $0 startup|paint [RUNS]}
runs=${2:-10}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

win64=$(realpath -m "${WIN64_BUILD_DIR:-build/win64}")
win32=$(realpath -m "${WIN32_BUILD_DIR:-build/win32}")
build() {  # PRESET FOLDER TARGET...
  local preset=$1 folder=$2
  shift 2
  [ -f "$folder/build.ninja" ] || cmake --preset "$preset" >/dev/null
  cmake --build "$folder" --target "$@" >/dev/null
}
bench="$win64/bench/win32"
build win64 "$win64" plumeroll plumeroll_empty_window plumeroll_startup_bench plumeroll_paint_bench \
  plumeroll_resize_bench

export WINEPREFIX="$win64/bench-wine/wineprefix"
source "$root/tools/wine-env.sh"
# Not fatal if the server cannot be kept alive: the programs of the run keep it up.
wine_prefix_up >/dev/null || true
trap wine_prefix_down EXIT
win() { winepath -w "$1" 2>/dev/null; }

case "$section" in
  startup)
    echo "== Start-up (plumeroll.exe vs an empty window, $runs runs each, $(wine --version 2>/dev/null))"
    wine "$(win "$bench/plumeroll_startup_bench.exe")" "$runs" \
      "$(win "$win64/app/plumeroll.exe")" "$(win "$bench/plumeroll_empty_window.exe")"
    build win32 "$win32" plumeroll
    echo "== Size of plumeroll.exe (Release)"
    for target in "win64 (x86_64):$win64" "win32 (i686):$win32"; do
      exe="${target#*:}/app/plumeroll.exe"
      size=$(stat -c %s "$exe")
      printf '%-15s %9d bytes (%d KiB)\n' "${target%%:*}" "$size" $(((size + 1023) / 1024))
    done
    ;;
  paint)
    echo "== Paint ($(wine --version 2>/dev/null))"
    (cd "$bench" && wine plumeroll_paint_bench.exe "$runs")
    ;;
  resize)
    input=$(realpath "${3:?resize needs the input picture}")
    echo "== Resize as the program does it, under Wine ($(wine --version 2>/dev/null))"
    for size in "1024 150" "9999 9999"; do
      wine "$(win "$bench/plumeroll_resize_bench.exe")" "$(win "$input")" $size \
        "$(win "$(dirname "$input")/program-resized.bmp")" "$runs"
    done
    rm -f "$(dirname "$input")/program-resized.bmp"
    ;;
  *) echo "unknown section: $section" >&2; exit 2 ;;
esac
