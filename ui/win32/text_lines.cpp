#include "ui/win32/text_lines.h"

#include <algorithm>
#include <utility>

namespace {

// Calls `found` with the position after each line break of `text`; returns their number.
template <class Found>
std::size_t ForEachLineBreak(const std::u16string& text, Found found) {
  std::size_t count = 0;
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') ++i;
    found(i + 1);
    ++count;
  }
  return count;
}

}  // namespace

void TextLines::Assign(std::u16string&& text) {
  // Counted first, so that the index is allocated once at its final size.
  std::vector<std::size_t> starts;
  starts.reserve(ForEachLineBreak(text, [](std::size_t) {}) + 1);
  starts.push_back(0);
  ForEachLineBreak(text, [&starts](std::size_t start) { starts.push_back(start); });
  starts_ = std::move(starts);
  text_ = std::move(text);
  text.clear();  // NOLINT(bugprone-use-after-move): a moved-from string need not be empty
}

std::size_t TextLines::LineStart(std::size_t line) const {
  return line < starts_.size() ? starts_[line] : text_.size();
}

std::u16string_view TextLines::Line(std::size_t line) const {
  if (line >= starts_.size()) return {};
  const std::size_t begin = starts_[line];
  std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] : text_.size();
  if (end > begin && text_[end - 1] == u'\n') --end;
  if (end > begin && text_[end - 1] == u'\r') --end;
  return std::u16string_view(text_).substr(begin, end - begin);
}

std::size_t TextLines::LineOf(std::size_t position) const {
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
  return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

std::vector<std::size_t> TextLines::LongestLines(std::size_t count) const {
  // A heap of the longest lines so far, the shortest of them on top; among lines of the same
  // length the earlier one counts as longer.
  const auto longer = [this](std::size_t a, std::size_t b) {
    const std::size_t lengthA = Line(a).size();
    const std::size_t lengthB = Line(b).size();
    return lengthA != lengthB ? lengthA > lengthB : a < b;
  };
  std::vector<std::size_t> longest;
  longest.reserve(std::min(count, starts_.size()));
  for (std::size_t line = 0; line < starts_.size() && count > 0; ++line) {
    if (longest.size() < count) {
      longest.push_back(line);
      std::push_heap(longest.begin(), longest.end(), longer);
    } else if (longer(line, longest.front())) {
      std::pop_heap(longest.begin(), longest.end(), longer);
      longest.back() = line;
      std::push_heap(longest.begin(), longest.end(), longer);
    }
  }
  std::sort_heap(longest.begin(), longest.end(), longer);
  return longest;
}
