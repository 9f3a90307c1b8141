#pragma once
// The targets of the link controls at the foot of the main dialog.

#include <string>

#include "ui/win32/windows_api.h"

// The folder that the link target `name` stands for: "program-folder" is the folder of the
// running program, "work-folder" the program's folder below the Documents folder. Empty for
// any other name or when the folder cannot be found.
std::u16string LinkTargetFolder(const std::u16string& name);

// Opens the folder of link target `name` in the file manager; false when there is no such
// target or it could not be opened.
bool OpenLinkTarget(HWND owner, const std::u16string& name);
