#pragma once
// How much of the view's text its accessible value and text ranges hand out at most.

#include <cstddef>
#include <string>
#include <string_view>

#include "tuning/tuning.h"
#include "ui/win32/text_view/text_lines.h"

// The end of the part of text[start, end) that is handed out whole: `end` when that part has
// at most tuning::kAccessibleTextChars characters; otherwise the first line end (before its
// CR LF, CR or LF) at or after that many characters, or twice as many characters (not
// splitting a surrogate pair) when no line end comes before. `start` <= `end` <= text size.
std::size_t AccessibleTextEnd(std::u16string_view text, std::size_t start, std::size_t end);

// The part of `lines`' characters [start, end) that is handed out whole, as AccessibleTextEnd
// bounds it: in place where the text is kept whole, else written into `scratch` (at most twice
// tuning::kAccessibleTextChars characters are read). Throws std::bad_alloc when memory runs out.
std::u16string_view AccessibleText(const TextLines& lines, std::size_t start, std::size_t end,
                                   std::u16string& scratch);
