#!/usr/bin/env bash
# Times, under Wine and Xvfb, the Files list with a project of 20,000 records: selecting it
# until all its rows are listed, unselecting it, the refresh timer's removal of its rows, and
# a sort by each column, each next to a bare list control's own cost for the same rows
# measured in the same run (bench/gui/select_project_bench.cpp).
# ORVALIS_BUILD_ROOT chooses the build folder (default: build/ in the repository).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
dir=$build_root/windows
# shellcheck source=../scripts/release_common.sh
. "$root/scripts/release_common.sh"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$dir" --target select_project_bench -j "${ORVALIS_JOBS:-$(nproc)}" >/dev/null

use_wine_prefix "$dir/wineprefix"
trap stop_wine_and_display EXIT
start_virtual_display 161 1600x1200x24

cd "$dir"
"$wine" bin/select_project_bench.exe </dev/null 2>&1
