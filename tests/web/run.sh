#!/usr/bin/env bash
# The browser edition's cases in headless Chromium (tests/web/run.py); needs build-web/ and the native tool.
set -euo pipefail
cd "$(dirname "$0")/../.."
for needed in build-web/index.html build-web/zandrek.wasm build-web/editor.html build-web/zandrek_editor.wasm \
              build/zandrek-tool; do
    [ -e "$needed" ] || { echo "$needed is missing: run build.sh first"; echo "0 passed, 1 failed"; exit 1; }
done
# Debian's Python: the websocket client is one of its packages.
exec /usr/bin/python3 tests/web/run.py build-web build/zandrek-tool build/screenshots "$@"
