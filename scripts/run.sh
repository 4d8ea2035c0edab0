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
. "$root/scripts/release_common.sh"
dir=$build_root/release
install=1
for arg in "$@"; do
  case $arg in
    --no-install) install=0 ;;
    *) echo "usage: $0 [--no-install]" >&2; exit 2 ;;
  esac
done

packages=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64 fonts-wine xvfb xauth)
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
build_release "$dir" orvalis demo_drive
exe=$dir/bin/orvalis.exe
use_wine_prefix "$dir/wineprefix"

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
trap stop_wine_and_display EXIT
start_virtual_display 131 1280x800x24
echo "== no display: starting Orvalis under Xvfb on $DISPLAY"
"$wine" explorer /desktop=Orvalis,1280x800 "$exe" </dev/null >/dev/null 2>&1 &
sleep "${ORVALIS_SCREENSHOT_DELAY:-12}"
shot=${ORVALIS_SCREENSHOT:-$build_root/orvalis-screenshot.png}
"$root/scripts/screenshot.sh" "$shot"
echo "Orvalis ran under Xvfb; a screenshot of it was saved to $shot. The program was stopped again."
