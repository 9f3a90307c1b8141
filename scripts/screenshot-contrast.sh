#!/usr/bin/env bash
# Takes the README's high-contrast screenshot: the dialog under Windows' "High Contrast Black"
# colours (set with SetSysColors), after a file was read and converted and a result selected
# with the keys, saved as docs/high-contrast.png. Needs the Windows build with its tests
# (the target vornel_contrast_shot). Uses a working DISPLAY, else a private virtual display.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
. "$VORNEL_ROOT/scripts/capture.sh"
cd "$VORNEL_ROOT"
cmake --build --preset windows -- vornel_contrast_shot >/dev/null
driver="$VORNEL_ROOT/build/windows/tests/e2e/vornel_contrast_shot.exe"
file="$VORNEL_ROOT/docs/high-contrast.png"
ensure_wine_prefix
export HOME="$VORNEL_WINE_HOME"
start_xvfb
markers="$(mktemp -d)"
trap 'touch "$markers/done"; stop_xvfb; rm -rf "$markers"' EXIT
(cd "$(dirname "$driver")" &&
  exec wine explorer /desktop=Vornel,1024x768 "$(basename "$driver")" \
    "$(winepath -w "$markers/ready")" "$(winepath -w "$markers/done")") >/dev/null 2>&1 &
launcher=$!
for _ in $(seq 1 300); do
  [ -e "$markers/ready" ] && break
  sleep 0.2
done
[ -e "$markers/ready" ] || { log "the dialog did not get ready"; exit 1; }
capture_settled "$VORNEL_DIALOG_CAPTION" "$file"
touch "$markers/done"
wait "$launcher" || true
log "screenshot saved: $file"
