# shellcheck shell=bash
# Runs the Windows program on a virtual desktop of wine and takes a screenshot of its dialog.
# Source it after common.sh; it defines functions only. Needs DISPLAY, xwininfo, xprop and
# ImageMagick.

VORNEL_DIALOG_CAPTION="Vornel Ver2"

# wait_for_x_window NAME SECONDS: waits until a window named NAME exists on the display.
wait_for_x_window() {
  local name="$1" deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    xwininfo -root -tree 2>/dev/null | grep -qF "\"$name\"" && return 0
    sleep 0.2
  done
  return 1
}

# x_window_geometry NAME: prints WIDTHxHEIGHT+X+Y of the window named NAME (screen coordinates).
x_window_geometry() {
  xwininfo -name "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
    END { if (w && h) printf "%dx%d+%d+%d\n", w, h, x, y }'
}

# capture_settled NAME FILE: screenshots of the window named NAME until two in a row are
# the same, in the same place (the dialog has been placed and has finished painting), at most
# about ten seconds; keeps the last in FILE.
capture_settled() {
  local name="$1" file="$2" geometry previousGeometry="" previous current
  previous="$(mktemp --suffix=.png)" current="$(mktemp --suffix=.png)"
  for _ in $(seq 1 30); do
    geometry="$(x_window_geometry "$name")" || return 1
    [ -n "$geometry" ] || return 1
    import -window root -crop "$geometry" +repage "$current"
    if [ "$geometry" = "$previousGeometry" ] &&
      [ "$(compare -metric AE "$previous" "$current" null: 2>&1)" = "0" ]; then
      break
    fi
    cp "$current" "$previous"
    previousGeometry="$geometry"
    sleep 0.3
  done
  mkdir -p "$(dirname "$file")"
  convert "$current" -strip "PNG24:$file"
  rm -f "$previous" "$current"
}

# screenshot_program EXE FILE: starts EXE on a virtual desktop of wine (so that its dialog has
# a caption bar), saves a screenshot of the dialog as FILE and ends the program again.
# Needs the wine environment of common.sh and a display.
screenshot_program() {
  local exe="$1" file="$2" launcher program status=0
  (cd "$(dirname "$exe")" && exec wine explorer /desktop=Vornel,1024x768 "$(basename "$exe")") \
    >/dev/null 2>&1 &
  launcher=$!
  if wait_for_x_window "$VORNEL_DIALOG_CAPTION" 60; then
    capture_settled "$VORNEL_DIALOG_CAPTION" "$file" || status=1
  else
    log "the dialog did not appear within 60 seconds"
    status=1
  fi
  # End the program that owns the dialog (by its process id); its desktop then closes too.
  program="$(xprop -name "$VORNEL_DIALOG_CAPTION" _NET_WM_PID 2>/dev/null | awk '{ print $3 }')"
  if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
  kill "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  return $status
}
