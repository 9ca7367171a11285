# Sourced by build.sh, test.sh and the whole-program tests: where the state of
# building and testing lives. All of it stays inside the checkout, under
# .state/, so a clean clone starts from nothing on any machine and a home
# folder left by earlier runs can hide nothing. The programs these scripts
# start get a home of their own there too.
zandrek_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZANDREK_STATE=$zandrek_root/.state
export HOME=$ZANDREK_STATE/home XDG_CACHE_HOME=$ZANDREK_STATE/cache
mkdir -p "$ZANDREK_STATE/home" "$ZANDREK_STATE/cache"
# The tests' own Wine prefixes: never the one the README's play command uses
# (cmake/wine64-run's default), so play and tests share no settings.
ZANDREK_TEST_PREFIX64=$ZANDREK_STATE/test-wine64
ZANDREK_TEST_PREFIX32=$ZANDREK_STATE/test-wine32
