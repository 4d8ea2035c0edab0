# Shared steps of run.sh, screenshot.sh and package.sh (sourced, not run): the Release tree,
# Wine with the tree's own prefix, and a virtual screen.

# Builds the targets in the Release tree $1 (made on first use) of the repository $root.
build_release() {
  local dir=$1
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  fi
  cmake --build "$dir" --target "$@" -j "${ORVALIS_JOBS:-$(nproc)}"
}

# Sets wine (the loader) and Wine's environment for the prefix $1, prepared on first use.
use_wine_prefix() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  wine=/usr/lib/wine/wine64
  [ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== preparing the Wine prefix (the first time takes about a minute)"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i </dev/null >/dev/null 2>&1
    # A drive letter linked while the first server still runs stays unseen by the next
    # program (the walkthrough's M: found no databases): let that server end first.
    "$(dirname "$wine")/wineserver" -w
  fi
  add_prefix_fonts "$WINEPREFIX"
}

# Wine draws the caption buttons with the Marlett symbol font, and looks for it only in the
# prefix's Fonts folder and fontconfig's folders; without it they show "0 2 r". Copies the
# copy that Debian's fonts-wine package ships into the prefix $1, when it is there.
add_prefix_fonts() {
  local marlett=/usr/share/wine/fonts/marlett.ttf fonts="$1/drive_c/windows/Fonts"
  if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp "$marlett" "$fonts/marlett.ttf"
  fi
}

# Starts Xvfb with a screen of $2 (WxHxDEPTH) on the first free display from :$1 on and
# exports DISPLAY; xvfb_pid is the server's process. Fails when no display could be had.
start_virtual_display() {
  local n
  xvfb_pid=""
  for n in $(seq "$1" $(($1 + 29))); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 "$2" -nolisten tcp </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=:$n
      return 0
    fi
    xvfb_pid=""
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Ends Wine's server of the current prefix and the virtual screen, if any (an EXIT trap).
stop_wine_and_display() {
  "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; fi
}
