#pragma once
// A read-only view of a long text: it keeps the text itself and draws only the lines in
// sight, so that hundreds of thousands of lines are put in at once. It answers WM_SETTEXT,
// WM_GETTEXT and WM_GETTEXTLENGTH like an edit box, selects with the mouse, EM_SETSEL and
// Ctrl+A, and copies with Ctrl+C, Ctrl+Insert, WM_COPY and its context menu.

#include <string>

#include "res/resource.h"
#include "ui/win32/windows_api.h"

// Window class name of the view, as the dialog templates name it.
inline constexpr wchar_t kTextViewClass[] = L"" TEXT_VIEW_CLASS;

// Registers the view's window class for `instance`; false when that fails.
bool RegisterTextView(HINSTANCE instance);

// Gives `text` to `window` when it is a text view of this program, as WM_SETTEXT would, but
// without copying it (`text` is left empty); false, with `text` untouched, for other windows
// and when memory runs out.
bool TakeTextViewText(HWND window, std::wstring& text);
