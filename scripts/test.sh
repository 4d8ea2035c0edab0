#!/usr/bin/env bash
# The one test command: installs what is missing (Debian 12, as root), builds both
# trees, runs the native suites (sanitizers) and the Windows suites under Wine (GUI
# tests under Xvfb), and ends with "N passed, M failed" summed over both.
# Options: --no-install (skip apt-get).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/release_common.sh" # add_prefix_fonts
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
export ORVALIS_BUILD_ROOT=$build_root
install=1
for arg in "$@"; do
  case $arg in
    --no-install) install=0 ;;
    *) echo "usage: $0 [--no-install]" >&2; exit 2 ;;
  esac
done

packages=(cmake ninja-build g++ googletest libbenchmark-dev g++-mingw-w64-x86-64-posix wine64 fonts-wine
          xvfb xauth clang libclang-rt-14-dev)
if [ $install = 1 ]; then
  missing=()
  for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null ||
      { echo "apt-get failed"; echo "0 passed, 1 failed"; exit 1; }
  fi
fi

echo "== building"
if ! "$root/scripts/build.sh" all; then
  echo "build failed"
  echo "0 passed, 1 failed"
  exit 1
fi

# Wine: one private prefix per tree, the server started once with its streams detached
# so that ctest does not wait on pipes inherited by Wine's background services.
export WINEPREFIX=$build_root/windows/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_dir=/usr/lib/wine
xvfb_pid=""
cleanup() {
  "$wine_dir/wineserver" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
}
trap cleanup EXIT

# A display for the windows that GUI tests create.
if [ -z "${ORVALIS_KEEP_DISPLAY:-}" ]; then
  for n in $(seq 91 120); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1600x1200x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    if kill -0 $xvfb_pid 2>/dev/null; then export DISPLAY=:$n; break; fi
    xvfb_pid=""
  done
fi

mkdir -p "$WINEPREFIX"
"$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== preparing the Wine prefix"
  "$wine_dir/wine64" wineboot -i </dev/null >/dev/null 2>&1
else
  # Starts Wine's background services now, detached, so that no test inherits them.
  "$wine_dir/wine64" wineboot </dev/null >/dev/null 2>&1
fi
add_prefix_fonts "$WINEPREFIX"
# No crash dialog or debugger, whoever made the prefix: a crashing test must just end.
"$wine_dir/wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  </dev/null >/dev/null 2>&1
# No window manager runs on the virtual screen: with managed windows Wine waits two seconds for
# one at every hide and close of a top-level window (each file operation hides the main window,
# the console and the progress window); unmanaged windows change state at once.
"$wine_dir/wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
  </dev/null >/dev/null 2>&1

status=0
passed=0
failed=0
for tree in native windows; do
  dir=$build_root/$tree
  rm -rf "$dir/test-results"
  mkdir -p "$dir/test-results"
  echo "== $tree tests"
  ctest --test-dir "$dir" --output-on-failure --timeout 900 </dev/null || status=1
  # Sum the test cases from each suite's report; a suite that left no report failed as a whole.
  for t in $(ctest --test-dir "$dir" -N | sed -n 's/^ *Test *#[0-9]*: //p'); do
    xml=$dir/test-results/$t.xml
    if [ -f "$xml" ]; then
      read -r n f e d < <(sed -n 's/.*<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)" disabled="\([0-9]*\)" errors="\([0-9]*\)".*/\1 \2 \4 \3/p' "$xml" | head -1)
      skipped=$(grep -c '<skipped' "$xml")
      passed=$((passed + ${n:-0} - ${f:-0} - ${e:-0} - ${d:-0} - skipped))
      failed=$((failed + ${f:-0} + ${e:-0}))
    else
      echo "$tree/$t: no report (crashed or did not start)"
      failed=$((failed + 1))
    fi
  done
done

# ---- Fuzz smoke: every libFuzzer target of fuzz/ for a few seconds (two minutes in all at
# most, see scripts/fuzz.sh --smoke); each target counts as one test.
echo "== fuzz smoke"
fuzz_log=$build_root/fuzz-smoke.log
mkdir -p "$build_root"
"$root/scripts/fuzz.sh" --smoke </dev/null >"$fuzz_log" 2>&1
grep -vE '^\[[0-9]+/[0-9]+\]' "$fuzz_log"
fuzz_passed=$(grep -c '^fuzz smoke: .* passed$' "$fuzz_log")
fuzz_failed=$(grep -c '^fuzz smoke: .* failed$' "$fuzz_log")
if [ $((fuzz_passed + fuzz_failed)) -eq 0 ]; then
  echo "fuzz smoke: no target ran (see $fuzz_log)"
  fuzz_failed=1
fi
passed=$((passed + fuzz_passed))
failed=$((failed + fuzz_failed))

[ $failed -gt 0 ] && status=1
echo "$passed passed, $failed failed"
exit $status
