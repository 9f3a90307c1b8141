#pragma once
// Where the program's dialogs appear.

#include "ui/win32/windows_api.h"

// Moves `window` to the centre of `reference` (a window, or the work area of the monitor of
// `window` when `reference` is null), kept inside that work area. Does nothing when the
// monitor cannot be queried.
void CentreWindow(HWND window, HWND reference);
