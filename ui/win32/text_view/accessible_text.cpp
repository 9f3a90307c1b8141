#include "ui/win32/text_view/accessible_text.h"

#include <algorithm>

std::size_t AccessibleTextEnd(std::u16string_view text, std::size_t start, std::size_t end) {
  constexpr std::size_t kBound = tuning::kAccessibleTextChars;
  if (end - start <= kBound) return end;
  const std::size_t from = start + kBound;
  const std::size_t last = std::min(end, from + kBound);
  const std::size_t lineEnd = text.substr(0, last).find_first_of(u"\r\n", from);
  if (lineEnd != std::u16string_view::npos) {
    // Inside a CR LF pair: the line ends before its CR.
    return text[lineEnd] == u'\n' && text[lineEnd - 1] == u'\r' ? lineEnd - 1 : lineEnd;
  }
  if (last == end) return end;
  const bool splitsPair = text[last - 1] >= 0xD800 && text[last - 1] <= 0xDBFF;
  return splitsPair ? last - 1 : last;
}

std::u16string_view AccessibleText(const TextLines& lines, std::size_t start, std::size_t end,
                                   std::u16string& scratch) {
  // AccessibleTextEnd reads no character beyond twice its bound from the start.
  const std::u16string_view chars =
      lines.Chars(start, std::min(end - start, 2 * tuning::kAccessibleTextChars), scratch);
  return chars.substr(0, AccessibleTextEnd(chars, 0, end - start));
}
