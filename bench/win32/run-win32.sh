#!/usr/bin/env bash
# The Windows sections of tools/bench.sh, under Wine, the x86_64 and the i686 programs side by
# side, their runs taking turns:
#   startup  time from process start until the main window is shown and idle, plumeroll.exe
#            against an empty window built the same way, with no background registered and
#            with a 4000 x 3000 one; and the size of both programs
#   paint    the image box painting a 4000 x 3000 picture, first and again
#   resize   the resize as the program does it and the I/O floor, each run its own process:
#            time and peak memory, from FOLDER/input.bmp (4000 x 3000) to 1024 x 150 and to
#            9999 x 9999, then from the extreme sizes (FOLDER/input-9999x9999.bmp to
#            1024 x 150, input-1x1.bmp to 9999 x 9999, input-9999x1.bmp to 1 x 9999)
#
#   bench/win32/run-win32.sh startup [RUNS]            (default 10)
#   bench/win32/run-win32.sh paint [REPAINTS [ROUNDS]]  (default 20 repaints, 5 rounds)
#   bench/win32/run-win32.sh resize RUNS FOLDER
#
# Builds what it needs in the win64 and win32 presets (build/win64, build/win32; WIN64_BUILD_DIR
# and WIN32_BUILD_DIR name other, already configured, build folders). Runs in a private Wine
# prefix (bench-wine/wineprefix in the win64 build folder) on a virtual display when there is
# no display, and stops that prefix's server at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
section=${1:?usage: $0 startup|paint|resize [RUNS ...]}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

win64=$(realpath -m "${WIN64_BUILD_DIR:-build/win64}")
win32=$(realpath -m "${WIN32_BUILD_DIR:-build/win32}")
targets=(plumeroll plumeroll_empty_window plumeroll_startup_bench plumeroll_paint_bench
  plumeroll_resize_bench)
for build in "win64:$win64" "win32:$win32"; do
  preset=${build%%:*} folder=${build#*:}
  [ -f "$folder/build.ninja" ] || cmake --preset "$preset" >/dev/null
  cmake --build "$folder" -j2 --target "${targets[@]}" >/dev/null
done

work="$win64/bench-wine"
export WINEPREFIX="$work/wineprefix"
source "$root/tools/wine-env.sh"
# Made here, under a display, and whole, a prefix has this mark; one without it (made without a
# display, whose programs then have no graphics driver, or cut short) is made anew.
mark="$WINEPREFIX/.made-under-display"
if [ -d "$WINEPREFIX" ] && [ ! -f "$mark" ]; then
  echo "Making the Wine prefix $WINEPREFIX anew: not known to be made whole under a display" >&2
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
wine_prefix_up >&2 && touch "$mark"
trap wine_prefix_down EXIT
win() { winepath -w "$1" 2>/dev/null; }
# Runs the x86_64 build of the benchmark EXE with the arguments, then each build's EXE as an
# ARCH EXE pair: the x86_64 one drives the runs of both.
drive() {  # EXE ARGUMENT...
  local exe=$1
  shift
  wine "$(win "$win64/$exe")" "$@" x86_64 "$(win "$win64/$exe")" i686 "$(win "$win32/$exe")"
}
wine_version=$(wine --version 2>/dev/null)

case "$section" in
  startup)
    runs=${2:-10}
    echo "== Start-up, x86_64 and i686 ($runs runs of each, $wine_version)"
    wine "$(win "$win64/bench/win32/plumeroll_startup_bench.exe")" "$runs" \
      x86_64 "$(win "$win64/app/plumeroll.exe")" \
      "$(win "$win64/bench/win32/plumeroll_empty_window.exe")" \
      i686 "$(win "$win32/app/plumeroll.exe")" \
      "$(win "$win32/bench/win32/plumeroll_empty_window.exe")"
    echo "== Size of the programs (Release, stripped)"
    for build in "x86_64:$win64" "i686:$win32"; do
      for exe in app/plumeroll.exe bench/win32/plumeroll_empty_window.exe; do
        size=$(stat -c %s "${build#*:}/$exe")
        printf '  %-6s %-28s %9d bytes (%d KiB)\n' "${build%%:*}" "${exe##*/}" "$size" \
          $(((size + 1023) / 1024))
      done
    done
    ;;
  paint)
    echo "== Paint, x86_64 and i686 ($wine_version)"
    drive bench/win32/plumeroll_paint_bench.exe compare "$(win "$work/large.bmp")" "${3:-5}" \
      "${2:-20}"
    ;;
  resize)
    runs=${2:?resize needs the number of runs}
    folder=$(realpath "${3:?resize needs the folder of the input pictures}")
    out="$work/resize"
    resize() {  # INPUT WIDTH HEIGHT
      mkdir -p "$out"
      drive bench/win32/plumeroll_resize_bench.exe compare "$(win "$folder/$1")" "$2" "$3" \
        "$runs" "$(win "$out")"
      rm -rf "$out"  # up to 300 MB a file
    }
    echo "== Resize as the program does it, under Wine, x86_64 and i686 ($wine_version)"
    resize input.bmp 1024 150
    resize input.bmp 9999 9999
    echo "== Peak memory of the extreme sizes, under Wine"
    resize input-9999x9999.bmp 1024 150
    resize input-1x1.bmp 9999 9999
    resize input-9999x1.bmp 1 9999
    ;;
  *) echo "unknown section: $section" >&2; exit 2 ;;
esac
