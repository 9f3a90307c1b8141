#pragma once
// A read-only view of a long text: it keeps the text itself and draws only the lines in
// sight, so that hundreds of thousands of lines are put in at once. It answers WM_SETTEXT,
// WM_GETTEXT and WM_GETTEXTLENGTH like an edit box, selects with the mouse, EM_SETSEL and
// Ctrl+A, and copies with Ctrl+C, Ctrl+Insert, WM_COPY and its context menu.

#include <optional>
#include <string>
#include <string_view>

#include "res/resource.h"
#include "ui/win32/windows_api.h"

// Window class name of the view, as the dialog templates name it.
inline constexpr wchar_t kTextViewClass[] = L"" TEXT_VIEW_CLASS;

// Registers the view's window class for `instance`; false when that fails.
bool RegisterTextView(HINSTANCE instance);

// Moves `text` into text view `window` (as WM_SETTEXT); false, `text` kept, when `window` is no
// text view. Throws std::bad_alloc when memory runs out; the view and `text` are then kept.
bool TakeTextViewText(HWND window, std::u16string& text);
// The text of text view `window` in place, valid until it changes; nullopt for other windows.
std::optional<std::u16string_view> PeekTextViewText(HWND window);
