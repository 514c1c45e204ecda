# Sourced by the scripts that run Windows programs: a private Wine prefix inside the build
# folder (unless WINEPREFIX is already set), no Mono or Gecko prompts, no debug noise.
# Expects $root to be the repository's top folder.
#
# One 64-bit prefix runs both programs: the 64-bit one under wine64, the 32-bit one under wine32
# through the prefix's syswow64 folder. With wine32 installed, the wine launcher starts the
# 32-bit loader first, which hands a 64-bit program on only in a 64-bit prefix: hence
# WINEARCH=win64 wherever a prefix is made.
export WINEPREFIX="${WINEPREFIX:-$root/build/win64/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

wine_prefix_up() {
  # A prefix made without a display has no graphics driver for any later program.
  if [ -z "${DISPLAY:-}" ]; then
    echo "wine_prefix_up: no X display (run it under xvfb-run)" >&2
    return 1
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # A prefix made before wine32 was installed has an empty syswow64 folder, in which no 32-bit
  # program can start ("could not load kernel32.dll"): it is made anew.
  if [ -f "$WINEPREFIX/system.reg" ] &&
    [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "Making the Wine prefix $WINEPREFIX anew: it lacks the 32-bit system"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  # Keep the server alive between the programs (it fails harmlessly when one already runs).
  wineserver -p 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wine wineboot -i </dev/null >/dev/null 2>&1
    # A program that crashes is reported and ends, rather than waiting behind a crash dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1
  fi
  # Debian's Wine does not find its own TrueType fonts (Tahoma, Marlett for the title-bar
  # buttons, ...): offer them in the prefix's Fonts folder, as a Windows system has them.
  ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Start the prefix's background services here, every time: started by the first program
  # instead, they would inherit its output and keep a test runner's pipe open.
  wine wineboot </dev/null >/dev/null 2>&1
}

wine_prefix_down() {
  wineserver -k 2>/dev/null || true
}
