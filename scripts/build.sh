#!/usr/bin/env bash
# Configures and builds the Windows product (MinGW-w64 cross build) and/or the native
# portable core with its tests (sanitizers). Usage: scripts/build.sh [windows|native|all]
# ORVALIS_BUILD_ROOT chooses where the trees go (default: build/ in the repository).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
what=${1:-all}
jobs=${ORVALIS_JOBS:-$(nproc)}

configure_and_build() {
  local name=$1; shift
  local dir=$build_root/$name
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@"
  fi
  cmake --build "$dir" -j "$jobs"
}

case $what in
  windows|all) configure_and_build windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" ;;
esac
case $what in
  native|all) configure_and_build native ;;
esac
case $what in
  windows|native|all) ;;
  *) echo "usage: $0 [windows|native|all]" >&2; exit 2 ;;
esac
