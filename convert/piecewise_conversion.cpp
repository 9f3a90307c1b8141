#include "convert/piecewise_conversion.h"

#include <algorithm>
#include <string_view>

#include "convert/binary.h"

bool PiecewiseConversion::Take(std::u16string& text, bool last) {
  const std::u16string_view untested = std::u16string_view(text).substr(tested_);
  if (HasNonBinaryChars(untested)) foreign_ = true;
  if (foreign_ || tooLong_) {
    // Only the characters matter from here on.
    text.clear();
    tested_ = 0;
    return !foreign_;
  }
  // What earlier calls left holds no LF, so the last one is among the new characters.
  const std::size_t lastLf = untested.rfind(u'\n');
  const std::size_t complete = last                                  ? text.size()
                               : lastLf == std::u16string_view::npos ? 0
                                                                     : tested_ + lastLf + 1;
  const NumberLinesOutcome outcome =
      ConvertNumberLines(std::u16string_view(text).substr(0, complete), out_);
  numbers_ += outcome.numbers;
  tooLong_ = outcome.tooLong;
  text.erase(0, complete);
  if (!tooLong_ && text.size() > 2 * kLongestLine) {
    // An unfinished line this long: its CRs do not count, and once more than kLongestLine
    // characters are left it is too long whatever follows.
    std::erase(text, u'\r');
    tooLong_ = text.size() > kLongestLine;
  }
  if (tooLong_) text.clear();
  tested_ = text.size();
  return true;
}
