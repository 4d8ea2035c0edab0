#!/usr/bin/env bash
# Builds the Release orvalis.exe and orvalis-cli.exe and packs them with README.md and
# LICENSE into build/orvalis-<version>-win64.zip. The version is the project version in
# CMakeLists.txt; the script stops when the version information inside either executable
# says otherwise, so a package never carries programs of another version than its name.
# ORVALIS_BUILD_ROOT chooses the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
dir=$build_root/release

version=$(sed -n 's/^project(Orvalis VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }

echo "== building the Release executables, version $version"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$dir" --target orvalis orvalis-cli -j "${ORVALIS_JOBS:-$(nproc)}"

# The FileVersion and ProductVersion strings of the version resource (UTF-16 in the file):
# each must be the project version with a fourth part of 0.
for exe in orvalis.exe orvalis-cli.exe; do
  found=$(strings -el "$dir/bin/$exe" | grep -A1 -x -E 'FileVersion|ProductVersion' |
    grep -v -x -E 'FileVersion|ProductVersion|--' | sort -u)
  if [ "$found" != "$version.0" ]; then
    echo "$exe carries version '${found//$'\n'/, }', the project is $version" >&2
    exit 1
  fi
done

name=orvalis-$version-win64
stage=$build_root/package/$name
rm -rf "$stage"
mkdir -p "$stage"
cp "$dir/bin/orvalis.exe" "$dir/bin/orvalis-cli.exe" "$root/README.md" "$root/LICENSE" "$stage/"
zip_file=$build_root/$name.zip
rm -f "$zip_file"
(cd "$build_root/package" && zip -q -r -X "$zip_file" "$name")
echo "package: $zip_file"
