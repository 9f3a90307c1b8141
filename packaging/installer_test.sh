#!/usr/bin/env bash
# Builds the installer with cpack and tests it under wine with installer_test.cpp's program.
# Arguments: cpack, the build folder, the installer's file name, the test program.
# Exits 77 (the test is skipped) only when makensis is missing.
set -euo pipefail
cpack="$1" build="$2" installer="$2/$3" tests="$4"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if ! command -v makensis >/dev/null 2>&1; then
  echo "SKIPPED: makensis is missing (Debian package nsis; scripts/test.sh installs it)"
  exit 77
fi
rm -f "$installer"
(cd "$build" && "$cpack" -G NSIS --config CPackConfig.cmake)
[ -f "$installer" ] || { echo "cpack made no $installer"; exit 1; }
echo "installer: $installer ($(stat -c %s "$installer") bytes)"
# Wine's drive Z: is the root of the file system.
"$root/scripts/wine-exec.sh" "$tests" "Z:${installer//\//\\}"
