#!/usr/bin/env bash
# Runs the user's journey: plumeroll_e2e drives plumeroll.exe inside Wine's virtual desktop, so
# that both share one desktop and the screenshots show the drawn title bars and frames.
#
#   run-e2e.sh E2E_EXE PLUMEROLL_EXE WORK_DIR
#
# The program runs from a copy in WORK_DIR/run-PID, where the journey writes the pictures it chooses
# and where the program writes resized.bmp. The screenshots end up as PNG in
# WORK_DIR/screenshots. Wine's prefix and display are the test command's (tools/test-wine.sh).
set -euo pipefail
e2e=$(realpath "$1") program=$(realpath "$2") work=$(realpath -m "$3")
# A folder of its own at each run: the Open dialog starts where it was last used unless the
# program tells it otherwise, and must find no earlier run's folder to start in.
run="$work/run-$$" shots="$work/screenshots"
rm -rf "$work"/run "$work"/run-* "$shots"
mkdir -p "$run/shots" "$shots"
cp "$program" "$run/"
win() { winepath -w "$1" 2>/dev/null; }
export E2E_PROGRAM="$(win "$run/plumeroll.exe")" E2E_SHOTS="$(win "$run/shots")"
export E2E_LINKS="$(win "$run")\\links.txt"
# The desktop's exit code says nothing about the test: its report does.
timeout 300 wine explorer /desktop=plumeroll-e2e,1024x768 "$(win "$e2e")" \
  "--gtest_output=xml:$(win "$run/report.xml")" || true
mogrify -format png -path "$shots" "$run"/shots/*.bmp 2>/dev/null || true
[ -f "$run/report.xml" ] || { echo "e2e: no report: the journey did not run to its end" >&2; exit 1; }
grep -o '<failure message="[^"]*"' "$run/report.xml" | sed 's/&#x0A;/\n/g; s/&quot;/"/g' || true
grep -q '<testsuites tests="1" failures="0" disabled="0" errors="0"' "$run/report.xml"
