#!/usr/bin/env bash
# Builds the Release orvalis.exe and starts it under Wine on your display. Without a display
# (no DISPLAY set) it runs the program under Xvfb instead, saves a screenshot, says where,
# and stops it again. On a fresh Debian machine (as root) it first installs what is missing.
# On first use it writes a demo media drive (build/demo-drive) and maps it into Wine as
# drive M:, where "Search for Databases" finds it as on an editor's machine.
# Options: --no-install (skip apt-get). ORVALIS_BUILD_ROOT chooses the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
dir=$build_root/release
install=1
for arg in "$@"; do
  case $arg in
    --no-install) install=0 ;;
    *) echo "usage: $0 [--no-install]" >&2; exit 2 ;;
  esac
done

packages=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64 xvfb xauth)
if [ $install = 1 ]; then
  missing=()
  for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

echo "== building the Release orvalis.exe"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$dir" --target orvalis demo_drive -j "${ORVALIS_JOBS:-$(nproc)}"
exe=$dir/bin/orvalis.exe

export WINEPREFIX=$dir/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== preparing the Wine prefix (the first time takes about a minute)"
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i </dev/null >/dev/null 2>&1
fi

# The demo media drive: written once, then left as the user's experiments change it.
drive=$build_root/demo-drive
if [ ! -f "$drive/AVID MediaFiles/MXF/1/msmFMID.pmr" ]; then
  echo "== writing the demo media drive to $drive"
  mkdir -p "$drive"
  "$wine" "$dir/bin/demo_drive.exe" "Z:${drive//\//\\}" </dev/null
fi
ln -sfn "$drive" "$WINEPREFIX/dosdevices/m:"
echo "== the demo media drive is drive M: in Wine"

if [ -n "${DISPLAY:-}" ]; then
  echo "== starting Orvalis on display $DISPLAY"
  exec "$wine" "$exe"
fi

# No display: a virtual screen, and Wine's own desktop window so that frames are drawn.
xvfb_pid=""
for n in $(seq 131 160); do
  [ -e /tmp/.X$n-lock ] && continue
  Xvfb :$n -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  if kill -0 $xvfb_pid 2>/dev/null; then export DISPLAY=:$n; break; fi
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "could not start Xvfb" >&2; exit 1; }
stop() {
  "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap stop EXIT
echo "== no display: starting Orvalis under Xvfb on $DISPLAY"
"$wine" explorer /desktop=Orvalis,1280x800 "$exe" </dev/null >/dev/null 2>&1 &
sleep "${ORVALIS_SCREENSHOT_DELAY:-12}"
shot=${ORVALIS_SCREENSHOT:-$build_root/orvalis-screenshot.png}
"$root/scripts/screenshot.sh" "$shot"
echo "Orvalis ran under Xvfb; a screenshot of it was saved to $shot. The program was stopped again."
