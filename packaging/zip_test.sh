#!/usr/bin/env bash
# Makes the portable ZIP with cpack, checks that vornel-convert.exe lies beside Vornel.exe in
# it, and runs the converter from the unpacked folder under wine.
#   packaging/zip_test.sh CPACK BUILD_FOLDER
set -uo pipefail
cpack="$1" build="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$build/zip-test"
rm -rf "$work"
(cd "$build" && "$cpack" -G ZIP -B "$work" --config CPackConfig.cmake >/dev/null) || exit 1
zip="$(ls "$work"/Vornel-*-portable.zip)" || exit 1
listed="$(unzip -Z1 "$zip" | sort)"
expected="$(printf '%s\n' Readme.txt Vornel.exe vornel-convert.exe | sed "s|^|$(basename "$zip" .zip)/|" | sort)"
failed=0
if [ "$listed" != "$expected" ]; then
  printf 'FAILED: the ZIP holds\n%s\ninstead of\n%s\n' "$listed" "$expected"
  failed=1
fi
unzip -q "$zip" -d "$work/unpacked" || exit 1
version="$("$root/scripts/wine-exec.sh" "$work/unpacked/$(basename "$zip" .zip)/vornel-convert.exe" --version)"
if [ "$version" != $'vornel-convert 2.2.10.11\r' ]; then
  printf 'FAILED: the unpacked converter said %q\n' "$version"
  failed=1
fi
exit $failed
