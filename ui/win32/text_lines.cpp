#include "ui/win32/text_lines.h"

#include <algorithm>
#include <utility>

void TextLines::Assign(std::wstring text) {
  std::vector<std::size_t> starts{0};
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      if (i + 1 < size && text[i + 1] == L'\n') ++i;
      starts.push_back(i + 1);
    } else if (c == L'\n') {
      starts.push_back(i + 1);
    }
  }
  starts_ = std::move(starts);
  text_ = std::move(text);
}

std::size_t TextLines::LineStart(std::size_t line) const {
  return line < starts_.size() ? starts_[line] : text_.size();
}

std::wstring_view TextLines::Line(std::size_t line) const {
  if (line >= starts_.size()) return {};
  const std::size_t begin = starts_[line];
  std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] : text_.size();
  if (end > begin && text_[end - 1] == L'\n') --end;
  if (end > begin && text_[end - 1] == L'\r') --end;
  return std::wstring_view(text_).substr(begin, end - begin);
}

std::size_t TextLines::LineOf(std::size_t position) const {
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
  return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

std::vector<std::size_t> TextLines::LongestLines(std::size_t count) const {
  std::vector<std::size_t> lines(starts_.size());
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = i;
  count = std::min(count, lines.size());
  const auto longer = [this](std::size_t a, std::size_t b) {
    return Line(a).size() > Line(b).size();
  };
  std::partial_sort(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(count), lines.end(),
                    longer);
  lines.resize(count);
  return lines;
}
