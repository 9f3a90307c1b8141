#!/usr/bin/env bash
# Installs what is missing, builds Vornel.exe (windows preset, Release, without the tests) in
# build/package and makes its two packages there with CPack: a portable ZIP and a per-user
# installer (NSIS). Then builds vornel-convert natively (build/package-deb) and leaves its
# Debian package beside them.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
cd "$VORNEL_ROOT"
build=build/package
if [ ! -f "$build/build.ninja" ]; then
  cmake --preset windows -B "$build" -DVORNEL_TESTS=OFF >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
(cd "$build" && cpack --config CPackConfig.cmake)
packaging/deb.sh build/package-deb "$build" >/dev/null
log "packages:"
ls -l "$build"/Vornel-*-portable.zip "$build"/Vornel-*-setup.exe "$build"/vornel-convert_*.deb >&2
