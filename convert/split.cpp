#include "convert/split.h"

#include <algorithm>
#include <string_view>
#include <utility>

void TrimTrailingLineBreaks(std::u16string& text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == u'\r' || text[end - 1] == u'\n')) --end;
  text.resize(end);
}

namespace {

// Splits the positions [from, to) of `text` into `lines`; `line` counts the LFs met.
void SplitRange(std::u16string_view text, std::size_t from, std::size_t to, LineList& lines,
                std::int64_t& line) {
  std::size_t i = from;
  while (i < to) {
    // A run of digits goes in at once.
    std::size_t run = i;
    while (run < to && text[run] != u'\r' && text[run] != u'\n') ++run;
    lines.AddChars(text.substr(i, run - i));
    if (run < to && text[run] == u'\n') {
      lines.CloseEntry();
      ++line;
    }
    i = run + 1;
  }
}

}  // namespace

bool SplitIntoNumberList(std::u16string& loadedText, LineList& numberList,
                         std::int64_t& listLineCount, const SplitStep& step,
                         std::int64_t stepEvery) {
  TrimTrailingLineBreaks(loadedText);
  LineList lines = std::move(numberList);  // empty, but it may bring memory to use
  numberList = LineList();
  lines.Reserve(loadedText.size(), loadedText.size() / 16);
  std::int64_t line = 0;
  const auto length = static_cast<std::int64_t>(loadedText.size());
  const std::int64_t stride = step && stepEvery > 0 ? stepEvery : length;
  for (std::int64_t from = 0; from < length; from += stride) {
    const std::int64_t to = std::min(from + stride, length);
    SplitRange(loadedText, static_cast<std::size_t>(from), static_cast<std::size_t>(to), lines,
               line);
    if (step && step(to - 1)) {
      listLineCount = line;
      return false;
    }
  }
  lines.CloseEntry();
  numberList = std::move(lines);
  listLineCount = numberList.Size();
  return true;
}
