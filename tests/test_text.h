#pragma once
// Small text helpers for the tests.

#include <string>
#include <string_view>
#include <vector>

#include "convert/line_list.h"

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

// The entries of a list, narrowed for readable comparisons.
inline std::vector<std::string> Entries(const LineList& list) {
  std::vector<std::string> out;
  for (std::int64_t k = 0; k < list.Size(); ++k) out.push_back(A(list[k]));
  return out;
}
