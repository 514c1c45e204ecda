#!/usr/bin/env bash
# Runs the end-to-end tests: plumeroll_e2e drives plumeroll.exe inside Wine's virtual desktop,
# so that both share one desktop and screenshots show the drawn title bar and frame.
#
#   run-e2e.sh E2E_EXE PLUMEROLL_EXE BMPSUITE_DIR WORK_DIR [GoogleTest options...]
#
# The program runs from a scratch copy in WORK_DIR/run (it writes resized.bmp beside itself),
# with a good picture and a broken one. Screenshots end up as PNG in WORK_DIR/screenshots.
# WINEPREFIX and DISPLAY are used as given (CTest runs inside the test command's display and
# prefix, whose server it leaves alone); run by hand without them, the script makes its own
# virtual display and a private prefix in WORK_DIR, and stops that prefix's server at the end.
set -euo pipefail

if [ $# -lt 4 ]; then
  echo "usage: $0 E2E_EXE PLUMEROLL_EXE BMPSUITE_DIR WORK_DIR [GoogleTest options...]" >&2
  exit 2
fi
e2e_exe=$(realpath "$1")
program_exe=$(realpath "$2")
bmpsuite=$(realpath "$3")
work=$(realpath -m "$4")
shift 4

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$e2e_exe" "$program_exe" "$bmpsuite" "$work" "$@"
fi

root=$(cd "$(dirname "$0")/../.." && pwd)
own_prefix=false
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$work/wineprefix"
  own_prefix=true
fi
# shellcheck source=../../tools/wine-env.sh
source "$root/tools/wine-env.sh"
if $own_prefix; then
  # Not fatal if the server cannot be kept alive: the programs of the run keep it up.
  wine_prefix_up >/dev/null || true
  trap wine_prefix_down EXIT
fi

good_picture=rgb24.bmp        # 127 x 64, four colour bands: easy to recognise on screen
broken_picture=badbitcount.bmp  # a bitmap header with an impossible bit count

run="$work/run"
shots="$work/screenshots"
rm -rf "$run" "$shots"
mkdir -p "$run/shots" "$shots"
cp "$program_exe" "$run/plumeroll.exe"
cp "$bmpsuite/g/$good_picture" "$bmpsuite/b/$broken_picture" "$run/"

win() { winepath -w "$1" 2>/dev/null; }
log="$run/e2e.log"
report="$run/e2e.xml"

echo "e2e: $(basename "$program_exe") in $run, Wine prefix $WINEPREFIX, display $DISPLAY"
status=0
timeout 480 wine explorer /desktop=plumeroll-e2e,1024x768 "$(win "$e2e_exe")" \
  "--program=$(win "$run/plumeroll.exe")" \
  "--good=$(win "$run/$good_picture")" \
  "--broken=$(win "$run/$broken_picture")" \
  "--screenshots=$(win "$run/shots")" \
  "--log=$(win "$log")" \
  "--gtest_output=xml:$(win "$report")" \
  "$@" || status=$?

# The desktop's exit code says nothing about the tests: the report does.
[ -f "$log" ] && cat "$log"
if [ $status -eq 124 ]; then
  echo "e2e: timed out" >&2
fi

for bmp in "$run"/shots/*.bmp; do
  [ -e "$bmp" ] || continue
  name=$(basename "$bmp" .bmp)
  convert "$bmp" "$shots/$name.png" || echo "e2e: cannot convert $bmp" >&2
done
echo "e2e: screenshots in $shots"
ls "$shots"

if [ ! -f "$report" ]; then
  echo "e2e: no test report: the automation program did not run to its end" >&2
  exit 1
fi
summary=$(grep -m1 -o '<testsuites [^>]*>' "$report")
failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$summary")
errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$summary")
tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$summary")
echo "e2e: $tests tests, ${failures:-?} failures, ${errors:-?} errors"
if [ "${tests:-0}" -eq 0 ] || [ "${failures:-1}" -ne 0 ] || [ "${errors:-1}" -ne 0 ]; then
  exit 1
fi
