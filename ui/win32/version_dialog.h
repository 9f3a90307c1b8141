#pragma once
// The version dialog: program name, version and rights holder.

#include "ui/win32/windows_api.h"

// Runs the version dialog modally, owned by `owner` (which is disabled meanwhile); returns
// when the user has closed it. Does nothing when the template cannot be loaded.
void RunVersionDialog(HINSTANCE instance, HWND owner);
