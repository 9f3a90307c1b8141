#include "convert/piecewise_conversion.h"

#include <algorithm>

#include "convert/binary.h"
#include "tuning/tuning.h"

std::size_t PiecewiseConversion::Take(std::u16string_view text, bool last,
                                      const std::function<void()>& alongside,
                                      const std::function<void()>& meanwhile) {
  return TakeText(text, last, alongside, meanwhile);
}

std::size_t PiecewiseConversion::Take(std::string_view bytes, bool last,
                                      const std::function<void()>& alongside,
                                      const std::function<void()>& meanwhile) {
  return TakeText(bytes, last, alongside, meanwhile);
}

template <class Char>
std::size_t PiecewiseConversion::TakeText(std::basic_string_view<Char> text, bool last,
                                          const std::function<void()>& alongside,
                                          const std::function<void()>& meanwhile) {
  if (foreign_) return text.size();
  if (tooLong_) {
    // Only the characters matter from here on, and where the first foreign one stands.
    const std::u16string_view units = Units(text);
    if (HasNonBinaryChars(units) == 1) {
      Locate(units, 0);
    } else {
      Pass(units, std::count(units.begin(), units.end(), u'\n'));
    }
    return text.size();
  }
  const TextPlace start = reached_;
  const std::size_t heldDigits = held_.size();
  lineFeeds_ = 0;
  const std::size_t used = TakeLines(text, last, alongside, meanwhile);
  if (foreign_ || tooLong_) {
    // Refused in this piece: it is looked at again, from where it began, to place the refusal.
    reached_ = start;
    Locate(Units(text), heldDigits);
    return text.size();
  }
  Pass(text.substr(0, used), lineFeeds_);
  return used;
}

template <class Char>
std::size_t PiecewiseConversion::TakeLines(std::basic_string_view<Char> text, bool last,
                                           const std::function<void()>& alongside,
                                           const std::function<void()>& meanwhile) {
  constexpr auto npos = std::basic_string_view<Char>::npos;
  std::size_t used = 0;
  if (!held_.empty()) {
    const std::size_t lf = text.find(Char{'\n'});
    if (lf == npos && !last) {
      Hold(Units(text));
      return text.size();
    }
    used = lf == npos ? text.size() : lf + 1;
    const std::u16string line = held_ + std::u16string(Units(text.substr(0, used)));
    held_.clear();
    Convert(std::u16string_view(line));
  }
  const std::basic_string_view<Char> rest = text.substr(used);
  const std::size_t lastLf = rest.rfind(Char{'\n'});
  const std::size_t complete = last ? rest.size() : lastLf == npos ? 0 : lastLf + 1;
  if (!foreign_ && !tooLong_) Convert(rest.substr(0, complete), alongside, meanwhile);
  const std::basic_string_view<Char> unfinished = rest.substr(complete);
  if (foreign_ || tooLong_) return text.size();
  // A longer unfinished line is held rather than handed back, so that what comes again stays
  // short.
  if (unfinished.size() <= tuning::kLongestReturnedChars) return used + complete;
  Hold(Units(unfinished));
  return text.size();
}

std::optional<TextPlace> PiecewiseConversion::Refusal() const {
  if (foreign_) return foreignAt_;
  if (tooLong_) return tooLongAt_;
  return std::nullopt;
}

void PiecewiseConversion::RefuseAtEnd() {
  if (foreign_) return;
  foreign_ = true;
  foreignAt_ = TextPlace{reached_.line, reached_.column + 1};
}

template <class Char>
void PiecewiseConversion::Convert(std::basic_string_view<Char> lines,
                                  const std::function<void()>& alongside,
                                  const std::function<void()>& meanwhile) {
  const NumberLinesOutcome outcome = shared_.Convert(lines, out_, alongside, meanwhile);
  numbers_ += outcome.numbers;
  lineFeeds_ += outcome.lineFeeds;
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

template <class Char>
void PiecewiseConversion::Pass(std::basic_string_view<Char> used, std::int64_t lineFeeds) {
  reached_.line += lineFeeds;
  const std::size_t lastLf = used.rfind(Char{'\n'});
  reached_.column = lastLf == std::basic_string_view<Char>::npos
                        ? reached_.column + static_cast<std::int64_t>(used.size())
                        : static_cast<std::int64_t>(used.size() - lastLf - 1);
}

void PiecewiseConversion::Locate(std::u16string_view text, std::size_t digits) {
  for (const char16_t c : text) {
    if (c == u'\n') {
      ++reached_.line;
      reached_.column = 0;
      digits = 0;
      continue;
    }
    ++reached_.column;
    if (c == u'\r') continue;
    if (c != u'0' && c != u'1') {
      foreign_ = true;
      foreignAt_ = reached_;
      return;
    }
    if (++digits > kLongestLine && !tooLongAt_) tooLongAt_ = TextPlace{reached_.line, 0};
  }
}
