# Sourced by the scripts that run Windows programs: a private Wine prefix inside the build
# folder (unless WINEPREFIX is already set), no Mono or Gecko prompts, no debug noise.
# Expects $root to be the repository's top folder.
export WINEPREFIX="${WINEPREFIX:-$root/build/win64/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

wine_prefix_up() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Keep the server alive between the programs (it fails harmlessly when one already runs).
  wineserver -p 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wine wineboot -i </dev/null >/dev/null 2>&1
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
