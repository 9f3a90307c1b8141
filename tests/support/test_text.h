#pragma once
// Small text helpers for the tests.

#include <string>
#include <string_view>
#include <vector>

#include "convert/binary.h"
#include "convert/number_values.h"

// Widens ASCII text to UTF-16.
inline std::u16string U(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// Narrows UTF-16 text that holds only ASCII characters ('?' for anything else).
inline std::string A(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

// The values of a number list.
inline std::vector<std::uint32_t> Values(const NumberValues& list) {
  std::vector<std::uint32_t> out;
  out.reserve(static_cast<std::size_t>(list.Size()));
  for (std::int64_t k = 0; k < list.Size(); ++k) out.push_back(list[k]);
  return out;
}

// The values of binary numbers written in ASCII.
inline std::vector<std::uint32_t> ValuesOf(const std::vector<std::string>& numbers) {
  std::vector<std::uint32_t> out;
  out.reserve(numbers.size());
  for (const std::string& n : numbers) out.push_back(static_cast<std::uint32_t>(BinaryValue(U(n))));
  return out;
}
