#include "convert/number_values.h"

#include <utility>

#include "convert/binary.h"

void NumberValues::AddChars(std::u16string_view chars) {
  // Every character is a digit whose bit is set only for '1'; bits shifted out of the top
  // belong to an entry too long to keep a value anyway.
  std::uint32_t value = pendingValue_;
  for (char16_t c : chars) value = (value << 1) | (c == u'1' ? 1u : 0u);
  pendingValue_ = value;
  pendingLength_ += chars.size();
}

void NumberValues::CloseEntry() {
  if (pendingLength_ == 0) return;
  if (pendingLength_ > kLongestLine && firstOverlong_ < 0) firstOverlong_ = Size();
  values_.push_back(pendingValue_);
  pendingValue_ = 0;
  pendingLength_ = 0;
}

void NumberValues::Join(NumberValues&& tail) {
  if (firstOverlong_ < 0 && tail.firstOverlong_ >= 0) firstOverlong_ = Size() + tail.firstOverlong_;
  tail_ = std::move(tail.values_);
  tail.Clear();
}

void NumberValues::Clear() {
  std::vector<std::uint32_t>().swap(values_);
  std::vector<std::uint32_t>().swap(tail_);
  firstOverlong_ = -1;
  pendingValue_ = 0;
  pendingLength_ = 0;
}

void NumberValues::Reserve(std::size_t /*chars*/, std::size_t entries) { values_.reserve(entries); }
