#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine needs (apt-get), then builds the
# game natively (tests, tools, benchmarks) and for Windows (x86_64 and i686).
# What it makes stays inside the checkout (cmake/state.sh).
set -Eeuo pipefail
cd "$(dirname "$0")"
source cmake/state.sh
trap 'echo "!! build.sh: \"$BASH_COMMAND\" failed with exit status $? (line $LINENO)" >&2' ERR
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(build-essential cmake ninja-build clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 wine wine64 qemu-user xvfb xdotool
          nsis zip unzip imagemagick python3 libasound2 emscripten chromium python3-websocket)
if ! dpkg -s "${packages[@]}" >/dev/null 2>&1; then
    as_root apt-get update -q || true
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${packages[@]}"
fi
# 32-bit Wine needs Debian's i386 architecture, which the archive does not always serve.
if ! dpkg -s wine32:i386 wine32-preloader:i386 >/dev/null 2>&1; then
    { as_root dpkg --add-architecture i386 && { as_root apt-get update -q || true; } &&
      as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine32:i386 wine32-preloader:i386; } ||
        echo "note: 32-bit Wine could not be installed; the i686 build will be built but not run"
fi

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"

# Whether 32-bit Windows programs run here is found by running one (and the
# first run makes the 32-bit Wine prefix the tests use). Building runs no
# Windows program: the Windows builds' maps are made by the native tool, which
# writes the same bytes.
echo "i686: $(cmake/wine32-check)" || true
for arch in x86_64 i686; do
    cmake -S . -B "build-win-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
          -DZANDREK_HOST_TOOL="$PWD/build/zandrek-tool"
done
cmake --build build-win-x86_64 -j "$jobs"
cmake --build build-win-i686 -j "$jobs"

# What players get: the zip and the installer of the i686 build.
bash tools/release/make_release.sh build-win-i686 build-release
# ---- the browser edition: Emscripten into build-web/, its release zip ----
# Debian's emscripten runs on its node with NODE_PATH set; its frozen cache of
# prebuilt libraries is linked into the tree, where EM_CACHE points.
export NODE_PATH=/usr/share/nodejs EM_CACHE=$PWD/.state/em-cache
[ -e "$EM_CACHE/sysroot_install.stamp" ] || { mkdir -p "$EM_CACHE" && cp -as /usr/share/emscripten/cache/. "$EM_CACHE/"; }
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DZANDREK_BENCH=OFF \
        -DZANDREK_HOST_TOOL="$PWD/build/zandrek-tool"
cmake --build build-web --target zandrek_web zandrek_editor_web zandrek_contract_web -j "$jobs"
bash tools/release/make_web_release.sh build-web build-release
# ---- end of the browser edition ----

echo "Built: build/ (native), build-win-x86_64/ and build-win-i686/ (Windows), build-release/ (zip, installer), build-web/ (browser)."
