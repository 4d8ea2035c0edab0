#!/usr/bin/env bash
# Times, under Wine and Xvfb, selecting a project of 20,000 records in the Projects list
# until the refresh timer has listed all its rows, next to the list control's own cost for
# the same rows measured in the same run (and the removal of those rows). The measurement
# is a disabled case of the views suite, run here alone.
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
cmake --build "$dir" --target views_tests -j "${ORVALIS_JOBS:-$(nproc)}" >/dev/null

use_wine_prefix "$dir/wineprefix"
trap stop_wine_and_display EXIT
start_virtual_display 161 1600x1200x24

cd "$dir"
"$wine" bin/views_tests.exe --gtest_also_run_disabled_tests \
  --gtest_filter='*DISABLED_SelectProjectOf20000Records' </dev/null 2>&1 |
  grep -v '^\[\|^Running main\|^Note:\|^$'
