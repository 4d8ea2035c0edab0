#!/usr/bin/env bash
# Builds the Release orvalis.exe and orvalis-cli.exe and packs them with README.md, the
# pictures it shows (docs/*.png) and LICENSE into build/orvalis-<version>-win64.zip. The
# version is the project version in CMakeLists.txt; the script stops when the version
# information inside either executable says otherwise, so a package never carries programs
# of another version than its name.
# ORVALIS_BUILD_ROOT chooses the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ORVALIS_BUILD_ROOT:-$root/build}
. "$root/scripts/release_common.sh"
dir=$build_root/release

version=$(sed -n 's/^project(Orvalis VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }

echo "== building the Release executables, version $version"
build_release "$dir" orvalis orvalis-cli

# The numeric file and product versions of the version resource (VS_FIXEDFILEINFO, after its
# signature 0xFEEF04BD), which Windows shows in the file's properties: each 32-bit half holds
# two 16-bit parts, the higher part first in the version's text.
fixed_versions() {
  local at
  at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe\x00\x00\x01\x00' "$1" | head -1 | cut -d: -f1)
  [ -n "$at" ] || return 0
  od -An -tu2 -v -j $((at + 8)) -N 16 "$1" |
    awk '{ printf "%s.%s.%s.%s\n%s.%s.%s.%s\n", $2, $1, $4, $3, $6, $5, $8, $7 }'
}

# The FileVersion and ProductVersion strings (UTF-16 in the file) and the numeric versions:
# each must be the project version with a fourth part of 0.
for exe in orvalis.exe orvalis-cli.exe; do
  found=$( (strings -el "$dir/bin/$exe" | grep -A1 -x -E 'FileVersion|ProductVersion' |
    grep -v -x -E 'FileVersion|ProductVersion|--'; fixed_versions "$dir/bin/$exe") | sort -u)
  if [ "$found" != "$version.0" ]; then
    echo "$exe carries version '${found//$'\n'/, }', the project is $version" >&2
    exit 1
  fi
done

name=orvalis-$version-win64
stage=$build_root/package/$name
rm -rf "$stage"
mkdir -p "$stage/docs"
cp "$dir/bin/orvalis.exe" "$dir/bin/orvalis-cli.exe" "$root/README.md" "$root/LICENSE" "$stage/"
cp "$root"/docs/*.png "$stage/docs/"
zip_file=$build_root/$name.zip
rm -f "$zip_file"
(cd "$build_root/package" && zip -q -r -X "$zip_file" "$name")
echo "package: $zip_file"
