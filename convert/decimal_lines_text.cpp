#include "convert/decimal_lines_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "convert/decimal_text.h"

namespace {

constexpr std::size_t kLineBreak = 2;  // CR LF

}  // namespace

DecimalLinesText::DecimalLinesText(std::shared_ptr<const NumberValues> values)
    : values_(std::move(values)) {}

std::shared_ptr<const DecimalLinesText> DecimalLinesText::Index(
    std::shared_ptr<const NumberValues> values, std::int64_t stepEvery,
    const std::function<bool(std::int64_t)>& step) {
  std::shared_ptr<DecimalLinesText> text(new DecimalLinesText(std::move(values)));
  const std::int64_t count = text->values_->Size();
  text->starts_.reserve(static_cast<std::size_t>(count) / kLinesPerStart + 1);
  LinesByDigits byDigits;
  std::size_t size = 0;
  std::int64_t untilStep = stepEvery;
  for (std::int64_t k = 0; k < count; ++k) {
    const auto line = static_cast<std::size_t>(k);
    if (line % kLinesPerStart == 0) text->starts_.push_back(size);
    const std::size_t length = text->LineLength(line);
    std::vector<std::size_t>& same = byDigits[length - kLineBreak];
    if (same.size() < kLongestKept) same.push_back(line);
    size += length;
    if (--untilStep == 0 || k + 1 == count) {
      untilStep = stepEvery;
      if (step && step(k + 1)) return nullptr;
    }
  }
  byDigits[0].push_back(static_cast<std::size_t>(count));
  text->size_ = size;
  text->longest_ = Longest(byDigits, kLongestKept);
  return text;
}

std::size_t DecimalLinesText::LineLength(std::size_t line) const {
  const std::uint32_t value = (*values_)[static_cast<std::int64_t>(line)];
  return static_cast<std::size_t>(decimal_detail::DigitCount(value)) + kLineBreak;
}

std::size_t DecimalLinesText::LineStart(std::size_t line) const {
  if (line + 1 >= LineCount()) return size_;
  std::size_t walked = line - line % kLinesPerStart;
  std::size_t start = starts_[walked / kLinesPerStart];
  for (; walked < line; ++walked) start += LineLength(walked);
  return start;
}

std::size_t DecimalLinesText::LineOf(std::size_t position) const {
  if (position >= size_) return LineCount() - 1;
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
  std::size_t line = static_cast<std::size_t>(after - starts_.begin() - 1) * kLinesPerStart;
  for (std::size_t start = *(after - 1);; ++line) {
    start += LineLength(line);
    if (start > position) return line;
  }
}

std::size_t DecimalLinesText::LineDigits(std::size_t line, char16_t* out) const {
  if (line + 1 >= LineCount()) return 0;
  const std::uint32_t value = (*values_)[static_cast<std::int64_t>(line)];
  return static_cast<std::size_t>(WriteDecimal(out, value) - out);
}

void DecimalLinesText::CopyChars(std::size_t from, std::size_t count, char16_t* out) const {
  std::size_t line = LineOf(from);
  std::size_t skip = from - LineStart(line);
  std::array<char16_t, kDecimalScratch + kLineBreak> chars{};
  while (count > 0) {
    const std::size_t digits = LineDigits(line, chars.data());
    chars[digits] = u'\r';
    chars[digits + 1] = u'\n';
    const std::size_t taken = std::min(count, digits + kLineBreak - skip);
    std::memcpy(out, chars.data() + skip, taken * sizeof(char16_t));
    out += taken;
    count -= taken;
    skip = 0;
    ++line;
  }
}

std::vector<std::size_t> DecimalLinesText::LongestLines(std::size_t count) const {
  if (count <= kLongestKept) {
    return {longest_.begin(),
            longest_.begin() + static_cast<std::ptrdiff_t>(std::min(count, longest_.size()))};
  }
  LinesByDigits byDigits;
  const auto values = static_cast<std::size_t>(values_->Size());
  for (std::size_t line = 0; line < values; ++line) {
    std::vector<std::size_t>& same = byDigits[LineLength(line) - kLineBreak];
    if (same.size() < count) same.push_back(line);
  }
  byDigits[0].push_back(values);
  return Longest(byDigits, count);
}

std::vector<std::size_t> DecimalLinesText::Longest(const LinesByDigits& byDigits,
                                                   std::size_t count) {
  std::vector<std::size_t> longest;
  for (std::size_t digits = kLongestDigits + 1; digits-- > 0 && longest.size() < count;) {
    const std::vector<std::size_t>& same = byDigits[digits];
    const std::size_t taken = std::min(same.size(), count - longest.size());
    longest.insert(longest.end(), same.begin(), same.begin() + static_cast<std::ptrdiff_t>(taken));
  }
  return longest;
}
