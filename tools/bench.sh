#!/usr/bin/env bash
# Benchmarks, on the optimised native build (preset "bench", in build/bench). Never part of the
# tests: speed and memory are measured here only.
#
#   tools/bench.sh [SECTION...]     sections: resize, startup, paint (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/setup.sh" libvips-tools python3-pil

build() {
  [ -f build/bench/build.ninja ] || cmake --preset bench >/dev/null
  cmake --build --preset bench -j 2 --target "$@"
}

# --- resize -----------------------------------------------------------------------------------
# The resize's own work (read the chosen picture, stretch it, write the 24-bit file) on a
# 4000 x 3000 picture made for the purpose, to 1024 x 150 and to 9999 x 9999:
# - natively, streamed as the program does it (the file read a band of rows at a time, the rows
#   stretched and written as they come), against ImageMagick, libvips and Pillow doing the same
#   and against the I/O floor (reading the picture and writing a file of the target's size, no
#   more), each run a child process: wall time, CPU time and peak memory, with the ratios, and
#   how far each result, and stb_image_resize's (the stretch the program had before), is from
#   ours;
# - natively, the peak memory of the extreme sizes, alone: 9999 x 9999 -> 1024 x 150 and 1 x 1,
#   1 x 1 -> 9999 x 9999, 9999 x 1 -> 1 x 9999, 1 x 9999 -> 9999 x 1;
# - how far our stretch is from stb_image_resize's on the mixed size (wider and shorter) and on
#   the 24- and 32-bit files of tests/bmpsuite/g (shrunk, grown, mixed);
# - under Wine, the x86_64 and the i686 programs taking turns, as the program does it (the
#   picture loaded, painted on the hidden drawing surface, saved as resized.bmp), against the
#   I/O floor, each run its own process: wall time, CPU time and peak working set, on the
#   4000 x 3000 picture and on the extreme sizes (9999 x 9999 -> 1024 x 150, 1 x 1 ->
#   9999 x 9999, 9999 x 1 -> 1 x 9999).
resize() {
  build plumeroll_bench
  local bench=build/bench/bench/plumeroll_bench
  local work=build/bench/resize
  mkdir -p "$work"
  # Debian's ImageMagick policy caps it at 256 MiB of memory and 1 GiB of disk, which refuses
  # a 9999 x 9999 result; these runs (ImageMagick, and libvips, which reads and writes BMP
  # through it) read a policy of their own that lifts those caps.
  cat >"$work/policy.xml" <<'POLICY'
<policymap>
  <policy domain="resource" name="memory" value="8GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="disk" value="16GiB"/>
  <policy domain="resource" name="area" value="1GP"/>
</policymap>
POLICY
  "$bench" make-input "$work/input.bmp"
  echo "== Resize, natively ($(nproc) cores)"
  MAGICK_CONFIGURE_PATH="$root/$work" "$bench" compare "$work/input.bmp" 1024 150 5 "$work"
  MAGICK_CONFIGURE_PATH="$root/$work" "$bench" compare "$work/input.bmp" 9999 9999 3 "$work"
  rm -f "$work"/*-9999x9999.bmp  # 300 MB each
  echo "== Peak memory of the extreme sizes, natively"
  "$bench" make-input "$work/input-9999x9999.bmp" 9999 9999
  "$bench" make-input "$work/input-1x1.bmp" 1 1
  "$bench" make-input "$work/input-9999x1.bmp" 9999 1
  "$bench" make-input "$work/input-1x9999.bmp" 1 9999
  "$bench" compare "$work/input-9999x9999.bmp" 1024 150 3 "$work" alone
  "$bench" compare "$work/input-9999x9999.bmp" 1 1 3 "$work" alone
  "$bench" compare "$work/input-1x1.bmp" 9999 9999 3 "$work" alone
  "$bench" compare "$work/input-9999x1.bmp" 1 9999 3 "$work" alone
  "$bench" compare "$work/input-1x9999.bmp" 9999 1 3 "$work" alone
  rm -f "$work"/{plumeroll,floor}-9999x9999.bmp  # the input stays, for the Wine half
  echo "== Against stb_image_resize, natively"
  "$bench" agree "$work/input.bmp" 6000x1000
  for file in rgb24 rgb24pal rgb32 rgb32bf rgb32bfdef; do
    "$bench" agree "$root/tests/bmpsuite/g/$file.bmp" 50x20 300x200 300x20
  done
  "$root/bench/win32/run-win32.sh" resize 3 "$work"
  rm -f "$work"/input-9999x9999.bmp
}

# --- start-up and paint (under Wine) ----------------------------------------------------------
# Each for the x86_64 and the i686 programs, their runs taking turns. Start-up time, from process
# start until the main window is shown and idle, of plumeroll.exe against an empty window built
# the same way, with no background registered and with a 4000 x 3000 one, and the size of both
# programs (STARTUP_RUNS runs of each, default 10); the image box painting a 4000 x 3000
# picture, a first paint and repaints (PAINT_ROUNDS rounds, default 5, each its own process, of
# PAINT_RUNS repaints, default 20).
startup() {
  "$root/bench/win32/run-win32.sh" startup "${STARTUP_RUNS:-10}"
}
paint() {
  "$root/bench/win32/run-win32.sh" paint "${PAINT_RUNS:-20}" "${PAINT_ROUNDS:-5}"
}

sections=("$@")
[ ${#sections[@]} -gt 0 ] || sections=(resize startup paint)
for section in "${sections[@]}"; do
  case "$section" in
    resize) resize ;;
    startup) startup ;;
    paint) paint ;;
    *) echo "unknown section: $section (known: resize, startup, paint)" >&2; exit 2 ;;
  esac
done
