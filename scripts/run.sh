#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under wine. Without a
# display it runs the program on a virtual display instead, saves a screenshot of its dialog
# as build/windows/screenshot.png and ends it again.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
. "$VORNEL_ROOT/scripts/capture.sh"
install_packages
build_preset windows
build_preset release
ensure_wine_prefix
export HOME="$VORNEL_WINE_HOME"
exe="$VORNEL_ROOT/build/windows/Vornel.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec_status=0
  wine "$exe" || exec_status=$?
  exit $exec_status
fi

log "no display: running Vornel on a virtual display"
unset DISPLAY
start_xvfb
trap 'stop_xvfb' EXIT
screenshot="$VORNEL_ROOT/build/windows/screenshot.png"
screenshot_program "$exe" "$screenshot"
log "screenshot of the running program saved: $screenshot"
