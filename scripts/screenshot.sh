#!/usr/bin/env bash
# Takes the README's screenshot: the dialog as it appears at start, on a private virtual
# display, saved as docs/screenshot.png. Builds the Windows program first unless a
# Vornel.exe is given: scripts/screenshot.sh [path/to/Vornel.exe]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
. "$VORNEL_ROOT/scripts/capture.sh"
install_packages
exe="${1:-}"
if [ -z "$exe" ]; then
  build_preset windows
  exe="$VORNEL_ROOT/build/windows/Vornel.exe"
fi
exe="$(realpath "$exe")"
ensure_wine_prefix
export HOME="$VORNEL_WINE_HOME"
# Never the user's own screen: always a display of our own.
unset DISPLAY
start_xvfb
trap 'stop_xvfb' EXIT
screenshot_program "$exe" "$VORNEL_ROOT/docs/screenshot.png"
log "screenshot saved: $VORNEL_ROOT/docs/screenshot.png"
