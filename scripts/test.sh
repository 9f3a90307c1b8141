#!/usr/bin/env bash
# Installs what is missing, builds both presets, runs the static analysis (scripts/analyse.sh)
# and every test: natively (with AddressSanitizer and UBSan) and, for the Windows build, under
# wine on a virtual display. Exits non-zero when anything fails.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
set -e
install_packages
build_preset native
build_preset windows
build_preset release
set +e

status=0
cd "$VORNEL_ROOT"

log "static analysis (clang-tidy, cppcheck)"
"$VORNEL_ROOT/scripts/analyse.sh" || status=1

log "native tests"
mkdir -p build/native/home
HOME="$VORNEL_ROOT/build/native/home" ctest --preset native -j"$(nproc)" || status=1

log "Windows tests under wine"
start_xvfb || exit 1
trap 'wineserver -k >/dev/null 2>&1; stop_xvfb' EXIT
ensure_wine_prefix
# A persistent wineserver saves the start-up of the wine services for every test program.
HOME="$VORNEL_WINE_HOME" wineserver -p 60 >/dev/null 2>&1
HOME="$VORNEL_WINE_HOME" wine wineboot >/dev/null 2>&1 </dev/null
ctest --preset windows || status=1

if [ $status -eq 0 ]; then log "all tests passed"; else log "some tests FAILED"; fi
exit $status
