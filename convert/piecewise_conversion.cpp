#include "convert/piecewise_conversion.h"

#include "convert/binary.h"
#include "tuning/tuning.h"

std::size_t PiecewiseConversion::Take(std::u16string_view text, bool last) {
  if (foreign_) return text.size();
  if (tooLong_) {
    // Only the characters matter from here on.
    foreign_ = HasNonBinaryChars(text) == 1;
    return text.size();
  }
  std::size_t used = 0;
  if (!held_.empty()) {
    const std::size_t lf = text.find(u'\n');
    if (lf == std::u16string_view::npos && !last) {
      Hold(text);
      return text.size();
    }
    used = lf == std::u16string_view::npos ? text.size() : lf + 1;
    const std::u16string line = held_ + std::u16string(text.substr(0, used));
    held_.clear();
    Convert(line);
  }
  const std::u16string_view rest = text.substr(used);
  const std::size_t lastLf = rest.rfind(u'\n');
  const std::size_t complete = last                                  ? rest.size()
                               : lastLf == std::u16string_view::npos ? 0
                                                                     : lastLf + 1;
  if (!foreign_ && !tooLong_) Convert(rest.substr(0, complete));
  const std::u16string_view unfinished = rest.substr(complete);
  if (foreign_ || tooLong_) {
    if (tooLong_ && HasNonBinaryChars(unfinished)) foreign_ = true;
    return text.size();
  }
  // A longer unfinished line is held rather than handed back, so that what comes again stays
  // short.
  if (unfinished.size() <= tuning::kLongestReturnedChars) return used + complete;
  Hold(unfinished);
  return text.size();
}

void PiecewiseConversion::Convert(std::u16string_view lines) {
  const NumberLinesOutcome outcome = shared_.Convert(lines, out_);
  numbers_ += outcome.numbers;
  foreign_ = outcome.foreign;
  tooLong_ = outcome.tooLong;
}

void PiecewiseConversion::Hold(std::u16string_view part) {
  if (HasNonBinaryChars(part)) {
    foreign_ = true;
    return;
  }
  // CRs do not count; once more than kLongestLine characters are left, the line is too long
  // whatever follows.
  for (char16_t c : part) {
    if (c != u'\r') held_.push_back(c);
  }
  if (held_.size() > kLongestLine) {
    held_.clear();
    tooLong_ = true;
  }
}
