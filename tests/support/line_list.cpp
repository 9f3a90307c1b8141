#include "tests/support/line_list.h"

std::u16string_view LineList::operator[](std::int64_t index) const {
  const auto k = static_cast<std::size_t>(index);
  const std::uint64_t begin = k == 0 ? 0 : ends_[k - 1];
  return std::u16string_view(chars_).substr(begin, ends_[k] - begin);
}

void LineList::Append(std::u16string_view entry) {
  CloseEntry();
  chars_.append(entry);
  ends_.push_back(chars_.size());
}

void LineList::CloseEntry() {
  const std::uint64_t closed = ends_.empty() ? 0 : ends_.back();
  if (chars_.size() > closed) ends_.push_back(chars_.size());
}

void LineList::Clear() {
  std::u16string().swap(chars_);
  std::vector<std::uint64_t>().swap(ends_);
}

void LineList::Reserve(std::size_t chars, std::size_t entries) {
  chars_.reserve(chars);
  ends_.reserve(entries);
}
