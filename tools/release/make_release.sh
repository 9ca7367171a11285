#!/usr/bin/env bash
# Makes what players get from the i686 build: the zip and the installer, named
# with the project's version (CMake's project version, read from the build).
# usage: tools/release/make_release.sh [I686_BUILD_DIR [OUT_DIR]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build-win-i686}" && pwd)
out=${2:-$root/build-release}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "make_release: no project version in $build/CMakeCache.txt" >&2; exit 1; }
help_page=$root/resources/zandhelp.html
files=("$build/zandrek.exe" "$build/Zandrek.map" "$root/assets/packs/lantern_docks.zrp" "$help_page")
for f in "${files[@]}"; do
    [ -f "$f" ] || { echo "make_release: $f is missing" >&2; exit 1; }
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
folder=zandrek-$version
stage=$out/$folder
rm -rf "$stage"
mkdir -p "$stage"
cp "${files[@]}" "$stage/"
# Windows' own text viewer wants CR LF line ends.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$here/README.txt" >"$stage/README.txt"

zip_file=$out/zandrek-$version-win32.zip
rm -f "$zip_file"
(cd "$out" && zip -q -X -9 -r "$zip_file" "$folder")

setup=$out/zandrek-$version-setup.exe
makensis -V2 -NOCD -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" "$here/zandrek.nsi"
echo "Release: $zip_file and $setup"
