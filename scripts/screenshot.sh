#!/usr/bin/env bash
# Saves a screenshot of the display that the program runs on (DISPLAY, e.g. the Xvfb of
# scripts/run.sh) with ImageMagick's import. Usage: scripts/screenshot.sh OUTPUT.png [WINDOW]
# WINDOW is an X window id or name; the whole screen by default. Installs ImageMagick when
# it is missing and this runs as root.
set -euo pipefail
out=${1:?usage: $0 OUTPUT.png [WINDOW]}
window=${2:-root}
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY to take a screenshot of" >&2; exit 1; }
if ! command -v import >/dev/null 2>&1; then
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends imagemagick \
      >/dev/null || { apt-get update -q >/dev/null &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends imagemagick >/dev/null; }
  else
    echo "ImageMagick's import is missing: apt-get install imagemagick" >&2
    exit 1
  fi
fi
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "screenshot: $out"
