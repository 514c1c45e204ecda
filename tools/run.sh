#!/usr/bin/env bash
# Runs Plumeroll: installs what is missing, builds the program and starts it under Wine, in a
# private Wine prefix inside the build folder (set WINEPREFIX to use another). Without a display
# it runs on a virtual one and saves screenshots of the screen every few seconds.
#
#   tools/run.sh [win64|win32]     the x86_64 program (default) or the i686 one
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
preset=${1:-win64}
case "$preset" in
  win64 | win32) ;;
  *) echo "usage: $0 [win64|win32]" >&2; exit 2 ;;
esac

"$root/tools/setup.sh"
"$root/tools/build.sh" "$preset"
source "$root/tools/wine-env.sh"
program="$root/build/$preset/app/plumeroll.exe"

if [ -n "${DISPLAY:-}" ]; then
  wine_prefix_up
  trap wine_prefix_down EXIT
  wine explorer /desktop=Plumeroll,800x600 "$program"
  exit
fi

# No display: a virtual one, with screenshots until the program is closed or a minute passes.
shots="$root/build/screenshots/run-$preset"
mkdir -p "$shots"
export PLUMEROLL_SHOTS="$shots" PLUMEROLL_PROGRAM="$program"
exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  source "'"$root"'/tools/wine-env.sh"
  wine_prefix_up
  trap wine_prefix_down EXIT
  wine explorer /desktop=Plumeroll,800x600 "$PLUMEROLL_PROGRAM" &
  for i in $(seq 1 ${PLUMEROLL_RUN_SECONDS:-60}); do
    sleep 1
    kill -0 $! 2>/dev/null || break
    if [ $((i % 5)) -eq 0 ]; then
      xwd -root -silent | convert xwd:- "$PLUMEROLL_SHOTS/screen-$i.png"
    fi
  done
  echo "No display: Plumeroll ran on a virtual one; screenshots are in $PLUMEROLL_SHOTS"
'
