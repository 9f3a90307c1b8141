#include "tests/support/reference_split.h"

#include <algorithm>

#include "convert/binary.h"

namespace {

template <class List>
bool SplitPlain(std::u16string& loadedText, List& numberList, std::int64_t& listLineCount,
                const SplitStep& step, std::int64_t stepEvery) {
  TrimTrailingLineBreaks(loadedText);
  List lines;
  numberList = List();
  std::int64_t line = 0;
  const auto length = static_cast<std::int64_t>(loadedText.size());
  const std::int64_t stride = step && stepEvery > 0 ? stepEvery : length;
  for (std::int64_t from = 0; from < length; from += stride) {
    const std::int64_t to = std::min(from + stride, length);
    for (std::int64_t i = from; i < to; ++i) {
      const char16_t c = loadedText[static_cast<std::size_t>(i)];
      if (c == u'\n') {
        lines.CloseEntry();
        ++line;
      } else if (c != u'\r') {
        lines.AddChars(std::u16string_view(&c, 1));
      }
    }
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

}  // namespace

bool SplitIntoTexts(std::u16string& loadedText, LineList& numberList, std::int64_t& listLineCount,
                    const SplitStep& step, std::int64_t stepEvery) {
  return SplitPlain(loadedText, numberList, listLineCount, step, stepEvery);
}

bool SplitIntoValuesPlain(std::u16string& loadedText, NumberValues& numberList,
                          std::int64_t& listLineCount, const SplitStep& step,
                          std::int64_t stepEvery) {
  return SplitPlain(loadedText, numberList, listLineCount, step, stepEvery);
}

std::int64_t FindOverlongEntry(const LineList& entries, std::int64_t count) {
  for (std::int64_t k = 0; k < count; ++k) {
    if (entries[k].size() > kLongestLine) return k;
  }
  return -1;
}

int HasNonBinaryCharsPlain(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char16_t c) { return c == u'0' || c == u'1' || c == u'\r' || c == u'\n'; })
             ? 0
             : 1;
}
