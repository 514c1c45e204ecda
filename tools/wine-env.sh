# Sourced by the scripts that run Windows programs: a private Wine prefix inside the build
# folder (unless WINEPREFIX is already set), no Mono or Gecko prompts, no debug noise.
# Expects $root to be the repository's top folder.
export WINEPREFIX="${WINEPREFIX:-$root/build/win64/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

wine_prefix_up() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wine wineboot -i </dev/null >/dev/null 2>&1
  fi
  # Start the prefix's background services here, every time: started by the first program
  # instead, they would inherit its output and keep a test runner's pipe open.
  wine wineboot </dev/null >/dev/null 2>&1
  wineserver -p   # keep the server alive between the programs
}

wine_prefix_down() {
  wineserver -k 2>/dev/null || true
}
