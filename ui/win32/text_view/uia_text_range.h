#pragma once
// A range of a text view's text for UI Automation's Text pattern, in the units of
// text_units.h (a page is the lines the view shows).

#include <cstddef>

#include "ui/win32/text_view/uia_declarations.h"

// A new range [start, end) of the text of `view` whose element is `element` (which it holds),
// with one reference for the caller; nullptr when memory runs out. Positions past the text are
// taken as its end whenever the range is used.
uia::ITextRangeProvider* NewTextRange(IRawElementProviderSimple* element, HWND view,
                                      std::size_t start, std::size_t end);
