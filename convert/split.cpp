#include "convert/split.h"

void TrimTrailingLineBreaks(std::u16string& text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == u'\r' || text[end - 1] == u'\n')) --end;
  text.resize(end);
}

bool SplitIntoNumberList(std::u16string& loadedText, LineList& numberList,
                         std::int64_t& listLineCount, const SplitStep& step) {
  TrimTrailingLineBreaks(loadedText);
  LineList lines;
  lines.Reserve(loadedText.size(), 0);
  std::int64_t line = 0;
  const auto length = static_cast<std::int64_t>(loadedText.size());
  for (std::int64_t i = 0; i < length; ++i) {
    const char16_t ch = loadedText[static_cast<std::size_t>(i)];
    if (ch == u'\n') {
      lines.CloseEntry();
      ++line;
    } else if (ch != u'\r') {
      lines.AddChar(ch);
    }
    if (step && step(i)) {
      listLineCount = line;
      return false;
    }
  }
  lines.CloseEntry();
  numberList = std::move(lines);
  listLineCount = numberList.Size();
  return true;
}
