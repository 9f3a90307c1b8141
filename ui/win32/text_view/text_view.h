#pragma once
// A read-only view of a long text: it keeps the text itself, or the values of decimal lines
// that it forms as it reads them, and draws only the lines in sight, so that hundreds of
// thousands of lines are put in at once. It answers WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH,
// EM_GETSEL and EM_SETSEL like a read-only edit box; shows the system caret while it has the
// focus, moves it with the keys and selects with them (Shift), with the mouse and with Ctrl+A;
// copies with Ctrl+C, Ctrl+Insert, WM_COPY and its context menu.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "convert/decimal_lines_text.h"
#include "convert/shared_text.h"
#include "res/resource.h"
#include "ui/win32/windows_api.h"

// Window class name of the view, as the dialog templates name it.
inline constexpr wchar_t kTextViewClass[] = L"" TEXT_VIEW_CLASS;

// Registers the view's window class for `instance`; false when that fails.
bool RegisterTextView(HINSTANCE instance);

// Moves `text` into text view `window` (as WM_SETTEXT); false, `text` kept, when `window` is no
// text view. Throws std::bad_alloc when memory runs out; the view and `text` are then kept.
bool TakeTextViewText(HWND window, std::u16string& text);
// Shows `text` in text view `window` without a copy, keeping it alive while it shows it (nobody
// may change it meanwhile); false when `window` is no text view. Throws std::bad_alloc when
// memory runs out; the view is then kept.
bool ShareTextViewText(HWND window, const SharedText& text);
// Shows the decimal lines of `lines` in text view `window`, each formed when it is read; false
// when `window` is no text view. Throws std::bad_alloc when memory runs out; the view is then
// kept.
bool ShowDecimalLinesInTextView(HWND window, const std::shared_ptr<const DecimalLinesText>& lines);
// The text of text view `window` in place, valid until it changes; nullopt for other windows.
// Throws std::bad_alloc when decimal lines must be written out and memory runs out.
std::optional<std::u16string_view> PeekTextViewText(HWND window);
