#pragma once
// The platform's file dialogs, owned by the main dialog.

#include <optional>
#include <string>

#include "ui/win32/windows_api.h"
#include "ui/window_services.h"

// Runs the modal save dialog with `options` (file types, default extension, initial name and
// whether to confirm overwriting); the chosen full path, or nullopt when the user cancelled or
// the dialog failed.
std::optional<std::u16string> RunSaveFileDialog(HWND owner, const SaveDialogOptions& options);

// Runs the modal open dialog for an existing file; the chosen full path, or nullopt when the
// user cancelled or the dialog failed.
std::optional<std::u16string> RunOpenFileDialog(HWND owner);
