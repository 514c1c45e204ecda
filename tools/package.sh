#!/usr/bin/env bash
# Makes the download for Windows users, build/package/plumeroll-1.00.zip: the Release programs
# x64/plumeroll.exe and x86/plumeroll.exe, LISEZMOI.txt (French, with Windows line breaks) and
# SHA256SUMS.txt, the SHA-256 of each of them. The files carry a fixed date, so that the same
# sources give the same archive.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=1.00

"$root/tools/setup.sh" zip
for preset in win64 win32; do
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target plumeroll >/dev/null
done

package="$root/build/package"
stage="$package/plumeroll-$version"
rm -rf "$stage" "$package/plumeroll-$version.zip"
mkdir -p "$stage/x64" "$stage/x86"
cp build/win64/app/plumeroll.exe "$stage/x64/"
cp build/win32/app/plumeroll.exe "$stage/x86/"
# UTF-8 with a byte order mark and CR LF line breaks: what Notepad reads right, down to XP.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' tools/LISEZMOI.txt; } >"$stage/LISEZMOI.txt"
files=(x64/plumeroll.exe x86/plumeroll.exe LISEZMOI.txt)
(cd "$stage" && sha256sum "${files[@]}" | sed 's/$/\r/' >SHA256SUMS.txt)
find "$stage" -exec touch -d "2026-12-01 12:00:00" {} +
(cd "$stage" && zip -X -q -9 "$package/plumeroll-$version.zip" "${files[@]}" SHA256SUMS.txt)

echo "build/package/plumeroll-$version.zip:"
unzip -l "$package/plumeroll-$version.zip"
echo "SHA-256:"
tr -d '\r' <"$stage/SHA256SUMS.txt"
