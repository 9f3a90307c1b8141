#!/usr/bin/env bash
# Runs a Windows program under wine with the build's private prefix and home.
# Used by ctest as the emulator of the Windows build.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ensure_wine_prefix
export HOME="$VORNEL_WINE_HOME"
exec wine "$@"
