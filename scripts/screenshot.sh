#!/usr/bin/env bash
# Saves a screenshot of the display that the program runs on (DISPLAY, e.g. the Xvfb of
# scripts/run.sh) with ImageMagick's import. Usage: scripts/screenshot.sh OUTPUT.png [WINDOW]
# WINDOW is an X window id or name; the whole screen by default.
#
# scripts/screenshot.sh --walkthrough [OUTDIR] builds the Release `walkthrough` program,
# writes a fresh demo media drive, maps it into Wine as drive M: and lets the program go
# through the README's first walk under Xvfb, in Wine's virtual desktop (so that windows have
# frames). It writes OUTDIR/walkthrough-1-search.png ... walkthrough-6-structure-viewer.png
# and OUTDIR/main-window.png (default OUTDIR: docs/). ORVALIS_BUILD_ROOT chooses the build
# folder, ORVALIS_JOBS the build's parallelism.
#
# Installs ImageMagick when it is missing and this runs as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/release_common.sh"

need_imagemagick() {
  command -v import >/dev/null 2>&1 && command -v convert >/dev/null 2>&1 && return 0
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends imagemagick \
      >/dev/null || { apt-get update -q >/dev/null &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends imagemagick >/dev/null; }
  else
    echo "ImageMagick is missing: apt-get install imagemagick" >&2
    exit 1
  fi
}

walkthrough() {
  local out=${1:-$root/docs}
  local build_root=${ORVALIS_BUILD_ROOT:-$root/build}
  local dir=$build_root/release
  local tool
  for tool in cmake ninja x86_64-w64-mingw32-g++-posix Xvfb; do
    command -v "$tool" >/dev/null 2>&1 ||
      { echo "$tool is missing: scripts/run.sh installs what the walkthrough needs" >&2; exit 1; }
  done
  need_imagemagick
  mkdir -p "$out"
  out=$(cd "$out" && pwd)

  echo "== building the Release walkthrough program"
  build_release "$dir" walkthrough
  use_wine_prefix "$dir/wineprefix"

  # A fresh drive every time, so that the pictures never show an earlier run's changes;
  # the program writes it. scripts/run.sh maps M: back to its own drive when it starts.
  local drive=$build_root/walkthrough-drive
  local shots=$build_root/walkthrough-shots
  rm -rf "$drive" "$shots"
  mkdir -p "$drive" "$shots"
  ln -sfn "$drive" "$WINEPREFIX/dosdevices/m:"

  trap stop_wine_and_display EXIT
  start_virtual_display 161 1280x720x24
  echo "== walking through Orvalis under Xvfb on $DISPLAY"
  timeout 300 "$wine" explorer /desktop=Orvalis,1280x720 "$dir/bin/walkthrough.exe" \
    "Z:${shots//\//\\}" 'M:\' </dev/null || true

  if [ "$(cat "$shots/walkthrough-result.txt" 2>/dev/null)" != ok ]; then
    echo "the walkthrough failed: $(cat "$shots/walkthrough-result.txt" 2>/dev/null || echo 'it did not finish')" >&2
    return 1
  fi
  local names=(walkthrough-1-search walkthrough-2-scan walkthrough-3-select-projects
               walkthrough-4-sort walkthrough-5-find-duplicates walkthrough-6-structure-viewer
               main-window)
  local name missing=0
  for name in "${names[@]}"; do
    if [ ! -f "$shots/$name.bmp" ]; then
      echo "no screenshot $name: the walkthrough stopped early" >&2
      missing=1
      continue
    fi
    convert "$shots/$name.bmp" -colors 256 -strip -define png:compression-level=9 "$out/$name.png"
    echo "screenshot: $out/$name.png ($(stat -c %s "$out/$name.png") bytes)"
  done
  return $missing
}

if [ "${1:-}" = --walkthrough ]; then
  walkthrough "${2:-}"
  exit
fi

out=${1:?usage: $0 OUTPUT.png [WINDOW] | $0 --walkthrough [OUTDIR]}
window=${2:-root}
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY to take a screenshot of" >&2; exit 1; }
need_imagemagick
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "screenshot: $out"
