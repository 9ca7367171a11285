#!/usr/bin/env bash
# Redraws assets/levels/builtin_sheet.png, the contact sheet of the built-in
# levels, with the game's own tiles. Run from the repository root after a
# native build (build/zandrek-tool and build/Zandrek.map).
set -euo pipefail
cd "$(dirname "$0")/../.."
tool=${1:-build/zandrek-tool}
map=${2:-build/Zandrek.map}
"$tool" render --sheet assets/levels/builtin.zrp --map "$map" -o assets/levels/builtin_sheet.png
