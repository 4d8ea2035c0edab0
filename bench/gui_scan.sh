#!/usr/bin/env bash
# Times, under Wine and Xvfb, the main window's Scan of a generated media drive (from the
# Scan command to the totals shown, bench/gui/gui_scan_bench.cpp) next to `orvalis-cli scan`
# of the same drive under Wine in the same run, with the peak memory of each process; and
# the same Scan once more with no updates sent to the progress window, for their cost.
#   bench/gui_scan.sh [FOLDERS [MEDIA_PER_FOLDER]]   (default 50 2000: 100,000 records;
#                                                     500 2000 for a million)
# The drive is written once by make_bench_drive (native build) below $ORVALIS_BENCH_DATA or
# the temporary folder. ORVALIS_BUILD_ROOT chooses the build folder (default: build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
folders=${1:-50}
media=${2:-2000}
jobs=${ORVALIS_JOBS:-$(nproc)}
native=$build_root/native
dir=$build_root/windows
# shellcheck source=../scripts/release_common.sh
. "$root/scripts/release_common.sh"
[ -f "$native/build.ninja" ] || cmake -S "$root" -B "$native" -G Ninja >/dev/null
[ -f "$dir/build.ninja" ] ||
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$native" --target make_bench_drive -j "$jobs" >/dev/null
cmake --build "$dir" --target orvalis-cli gui_scan_bench -j "$jobs" >/dev/null

drive=$("$native/bin/make_bench_drive" "$folders" "$media")
windows_drive="Z:${drive//\//\\}"

use_wine_prefix "$dir/wineprefix"
trap stop_wine_and_display EXIT
start_virtual_display 181 1600x1200x24
"$(dirname "$wine")/wineserver" -p </dev/null >/dev/null 2>&1 || true
cd "$dir"

# Wall seconds and peak resident kilobytes of one Wine process; its output goes to $1. Its
# error stream goes to a file: Wine takes /dev/null there for a console, and the command
# line's progress line would then be drawn, at many times the cost of the work.
measure() {
  local out=$1
  shift
  /usr/bin/time -f "%e %M" -o "$dir/bench-time.txt" "$wine" "$@" </dev/null >"$out" \
    2>"$dir/bench-errors.txt" || true
  tail -n 1 "$dir/bench-time.txt"
}

read -r start_s _ < <(measure /dev/null bin/orvalis-cli.exe)
# The listing goes to a file: with /dev/null as its standard output, Wine takes a console too
# and every line is drawn.
read -r cli_s cli_kb < <(measure "$dir/cli-scan.txt" bin/orvalis-cli.exe scan "$windows_drive")
read -r _ gui_kb < <(measure "$dir/gui-scan.txt" bin/gui_scan_bench.exe "$windows_drive")
read -r _ gui_ms records _ < <(grep '^gui-scan ' "$dir/gui-scan.txt")
measure "$dir/gui-scan.txt" bin/gui_scan_bench.exe "$windows_drive" --no-progress-updates >/dev/null
read -r _ quiet_ms _ < <(grep '^gui-scan ' "$dir/gui-scan.txt")

awk -v f="$folders" -v m="$media" -v r="$records" -v s="$start_s" -v c="$cli_s" -v ck="$cli_kb" \
  -v g="$gui_ms" -v gk="$gui_kb" -v q="$quiet_ms" 'BEGIN {
  printf "Scan of %d folders x %d media (%d records), under Wine:\n", f, m, r
  printf "  baseline, orvalis-cli scan (whole process):   %8.0f ms  peak %7.0f MB\n", c * 1000, ck / 1024
  printf "    of which starting a Wine process:           %8.0f ms\n", s * 1000
  printf "  main window, Scan command to totals shown:    %8.0f ms  peak %7.0f MB (whole process)\n", g, gk / 1024
  printf "    the same, the progress window sent nothing: %6.0f ms\n", q
  printf "  ratio to the baseline: %.2f (time), %.2f (memory)\n", g / (c * 1000), gk / ck
}'
