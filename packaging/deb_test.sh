#!/usr/bin/env bash
# Makes vornel-convert's Debian package with packaging/deb.sh, runs lintian on it, unpacks it
# with dpkg-deb -x and runs the converter from there. Exits 77 (the test is skipped) only when
# lintian or dpkg-deb is missing.
#   packaging/deb_test.sh BUILD_FOLDER
set -uo pipefail
work="$1/deb"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
for tool in lintian dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is missing (scripts/test.sh installs it)"
    exit 77
  fi
done
failed=0
check() {  # what, expected, actual
  if [ "$2" != "$3" ]; then
    printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
    failed=1
  fi
}

rm -rf "$work/out" "$work/unpacked"
package="$("$root/packaging/deb.sh" "$work/build" "$work/out")" || exit 1
check "the package's name" "vornel-convert_2.2.10.11_amd64.deb" "$(basename "$package")"

# Errors and warnings fail; lintian's information tags are shown.
findings="$(lintian --allow-root --info "$package" 2>&1)"
echo "lintian: ${findings:-no findings}"
check "lintian's errors and warnings" "" "$(grep -E '^[EW]: ' <<<"$findings")"

dpkg-deb -x "$package" "$work/unpacked" || exit 1
installed="$work/unpacked/usr"
check "its files" "$(printf '%s\n' bin/vornel-convert share/doc/vornel-convert/changelog.gz \
  share/doc/vornel-convert/copyright share/man/ja/man1/vornel-convert.1.gz \
  share/man/man1/vornel-convert.1.gz)" \
  "$(cd "$installed" && find . -type f | sed 's|^\./||' | sort)"
for page in man1 ja/man1; do
  check "the manual page's title ($page)" ".TH VORNEL-CONVERT 1" \
    "$(gzip -dc "$installed/share/man/$page/vornel-convert.1.gz" | head -n 1 | cut -d' ' -f1-3)"
done
check "the version" "vornel-convert 2.2.10.11" "$("$installed/bin/vornel-convert" --version)"
check "a conversion through a pipe" "$(printf '5\n2147483647\n')" \
  "$(printf '101\r\n\n1111111111111111111111111111111\n' | "$installed/bin/vornel-convert")"
printf '1\n2\n' | "$installed/bin/vornel-convert" >/dev/null 2>&1
check "a refusal's exit code" 4 $?
check "a refusal in Japanese" "vornel-convert: 標準入力:2:1: 0、1、改行以外の文字があります。" \
  "$(printf '1\n2\n' | LC_ALL=ja_JP.UTF-8 "$installed/bin/vornel-convert" 2>&1)"
exit $failed
