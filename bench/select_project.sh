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
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$dir" --target views_tests -j "${ORVALIS_JOBS:-$(nproc)}" >/dev/null

export WINEPREFIX=$dir/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
xvfb_pid=""
stop() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap stop EXIT
for n in $(seq 161 190); do
  [ -e /tmp/.X$n-lock ] && continue
  Xvfb :$n -screen 0 1600x1200x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  if kill -0 $xvfb_pid 2>/dev/null; then export DISPLAY=:$n; break; fi
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "could not start Xvfb" >&2; exit 1; }
mkdir -p "$WINEPREFIX"
[ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i </dev/null >/dev/null 2>&1

cd "$dir"
"$wine" bin/views_tests.exe --gtest_also_run_disabled_tests \
  --gtest_filter='*DISABLED_SelectProjectOf20000Records' </dev/null 2>&1 |
  grep -v '^\[\|^Running main\|^Note:\|^$'
