#include "convert/binary.h"

#include <algorithm>

std::int64_t BinaryValue(std::u16string_view binary) {
  // Leading zero digits (and other characters) add nothing; a '1' whose weight is 2^31 or
  // more decides the overflow by itself, so only the last 31 positions can carry value.
  const std::size_t first_one = binary.find(u'1');
  if (first_one == std::u16string_view::npos) return 0;
  const std::size_t significant = binary.size() - first_one;
  if (significant > kLongestLine) return -1;
  std::uint32_t value = 0;
  for (std::size_t i = first_one; i < binary.size(); ++i) {
    value = (value << 1) | (binary[i] == u'1' ? 1u : 0u);
  }
  return value;
}

std::u16string BinaryToDecimal(std::u16string_view binary) {
  std::u16string text;
  AppendDecimalOf(text, binary);
  return text;
}

int HasNonBinaryChars(std::u16string_view text) {
  const bool foreign = std::any_of(text.begin(), text.end(), [](char16_t c) {
    return c != u'0' && c != u'1' && c != u'\r' && c != u'\n';
  });
  return foreign ? 1 : 0;
}

std::int64_t FindOverlongEntry(const LineList& entries, std::int64_t count) {
  for (std::int64_t k = 0; k < count; ++k) {
    if (entries[k].size() > kLongestLine) return k;
  }
  return -1;
}
