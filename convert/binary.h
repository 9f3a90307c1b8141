#pragma once
// The rules every conversion rests on: binary digits to decimal text, the accepted
// characters of a file text, and the longest line a file conversion takes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/decimal_text.h"

// Largest value converted; a larger one converts to -1 (see BinaryValue and BinaryToDecimal).
inline constexpr std::uint32_t kLargestValue = 2147483647;
// Longest line, in characters, that a file conversion accepts.
inline constexpr std::size_t kLongestLine = 31;

// Value of the binary digits in `binary`, where only '1' adds its weight and every other
// character counts as a zero digit; -1 when the value exceeds kLargestValue. Linear time.
std::int64_t BinaryValue(std::u16string_view binary);

// Decimal text of `binary` (see BinaryValue): "0" for the empty text, "-1" above 2147483647.
std::u16string BinaryToDecimal(std::u16string_view binary);

// Appends the decimal digits of `value` to `out` (no sign, no leading zeros).
template <class String>
void AppendDecimal(String& out, std::uint32_t value) {
  typename String::value_type digits[kDecimalScratch];
  const auto* const end = WriteDecimal(digits, value);
  out.append(digits, static_cast<std::size_t>(end - digits));
}

// Appends BinaryToDecimal(binary) to `out`, as UTF-16 or as single bytes.
template <class String>
void AppendDecimalOf(String& out, std::u16string_view binary) {
  const std::int64_t value = BinaryValue(binary);
  if (value < 0) {
    out.push_back('-');
    out.push_back('1');
  } else {
    AppendDecimal(out, static_cast<std::uint32_t>(value));
  }
}

// 1 when `text` holds a character other than '0', '1', CR and LF; 0 otherwise and for "".
int HasNonBinaryChars(std::u16string_view text);
