#!/usr/bin/env bash
# Builds vornel-convert natively in Release, with Debian's hardening flags and without the
# tests, in BUILD, and makes its Debian package in OUT with CPack (a .sha256 beside it).
# Prints the package's path.
#   packaging/deb.sh BUILD OUT
set -euo pipefail
build="$(mkdir -p "$1" && cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNEL_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS) $(
      DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" \
    >/dev/null
fi
cmake --build "$build" --target vornel-convert vornel_deb_files >/dev/null
# CPack works below the build folder; only the package and its checksum go to OUT.
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB -B "$build/cpack" --config CPackConfig.cmake >/dev/null)
for made in "$build"/cpack/vornel-convert_*.deb; do
  mv -f "$made" "$made.sha256" "$out/"
  echo "$out/$(basename "$made")"
done
