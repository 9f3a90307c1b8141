#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and starts it under wine.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
build_preset windows
ensure_wine_prefix
export HOME="$VORNEL_WINE_HOME"
start_xvfb
trap 'stop_xvfb' EXIT
exec_status=0
wine "$VORNEL_ROOT/build/windows/Vornel.exe" || exec_status=$?
exit $exec_status
