#!/usr/bin/env bash
# Makes the browser edition's release from the web build: zandrek-VERSION-web.zip,
# a static site any web host can serve as it stands (index.html at its top, the
# pack editor editor.html beside it).
# usage: tools/release/make_web_release.sh [WEB_BUILD_DIR [OUT_DIR]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build-web}" && pwd)
out=${2:-$root/build-release}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "make_web_release: no project version in $build/CMakeCache.txt" >&2; exit 1; }
site_files=(index.html zandrek.js zandrek.wasm zandrek.data zandrek_page.js zandrek_menu.js zandrek.css
            zandhelp.html banner.ico zandrek.ico
            editor.html editor.js editor_view.js editor_verdict.js editor_worker.js editor.css zandrek_editor.js
            zandrek_editor.wasm Zandrek.map lantern_docks.zrp)
for f in "${site_files[@]}"; do
    [ -f "$build/$f" ] || { echo "make_web_release: $build/$f is missing" >&2; exit 1; }
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
folder=zandrek-$version-web
stage=$out/$folder
rm -rf "$stage"
mkdir -p "$stage"
for f in "${site_files[@]}"; do cp "$build/$f" "$stage/"; done

zip_file=$out/zandrek-$version-web.zip
rm -f "$zip_file"
(cd "$out" && zip -q -X -9 -r "$zip_file" "$folder")
echo "Release: $zip_file"
