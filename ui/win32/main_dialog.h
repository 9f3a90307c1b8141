#pragma once
// The main dialog's window and its modal loop.

#include <optional>

#include "ui/vornel_dlg.h"
#include "ui/win32/win32_window_services.h"
#include "ui/win32/windows_api.h"

// Creates the main dialog (template IDD_MAIN_DIALOG, no parent) with `window` attached to
// it, runs `dialog`'s initialisation and then its modal loop until the dialog is ended; the
// window is destroyed before returning. A dialog ended during its initialisation is never
// shown. Returns the result the dialog was ended with, -1 when a quit message ended the loop;
// nullopt when the window could not be created (no desktop to make it on, a resource missing).
std::optional<int> RunMainDialog(Win32WindowServices& window, CVornelDlg& dialog);
