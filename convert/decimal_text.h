#pragma once
// Decimal text of 32-bit values without a branch on the value: every value costs the same few
// multiplications, table look-ups and stores, so that runs of random numbers convert at a
// steady pace.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Characters WriteDecimal may write past the digits it reports (scratch, overwritten later).
inline constexpr std::size_t kDecimalScratch = 16;

namespace decimal_detail {

inline constexpr std::uint32_t kPowersOfTen[10] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// The two ASCII digits of 0..99, the first in the low byte.
struct DigitPairs {
  std::uint16_t pair[100]{};
  constexpr DigitPairs() {
    for (int k = 0; k < 100; ++k) {
      pair[k] = static_cast<std::uint16_t>(('0' + k % 10) << 8 | ('0' + k / 10));
    }
  }
};
inline constexpr DigitPairs kDigitPairs;

// Number of decimal digits of `value` (1 for 0).
inline int DigitCount(std::uint32_t value) {
  const std::uint32_t odd = value | 1;  // the same count; keeps 0 at one digit
  const int estimate = (static_cast<int>(std::bit_width(odd)) * 1233) >> 12;
  return estimate + (odd >= kPowersOfTen[estimate] ? 1 : 0);
}

// The eight digits of `value` (below 10^8), leading zeros included, as ASCII bytes with the
// first digit in the lowest byte.
inline std::uint64_t EightDigits(std::uint32_t value) {
  const std::uint32_t high = value / 10000;
  const std::uint32_t low = value % 10000;
  return std::uint64_t{kDigitPairs.pair[high / 100]} |
         std::uint64_t{kDigitPairs.pair[high % 100]} << 16 |
         std::uint64_t{kDigitPairs.pair[low / 100]} << 32 |
         std::uint64_t{kDigitPairs.pair[low % 100]} << 48;
}

}  // namespace decimal_detail

// Writes the decimal digits of `value` (no sign, no leading zeros) at `out` and returns the
// end of them. `out` must have room for kDecimalScratch characters; those after the digits
// are left with scratch.
inline char* WriteDecimal(char* out, std::uint32_t value) {
  using namespace decimal_detail;
  const int count = DigitCount(value);
  // Up to two leading digits above the last eight; `lead` of them are significant.
  const int lead = count > 8 ? count - 8 : 0;
  const auto first =
      static_cast<std::uint16_t>(kDigitPairs.pair[value / 100000000] >> (8 * (2 - lead)));
  // Of the last eight digits, count - lead are significant: they move down to the lowest bytes.
  const std::uint64_t last = EightDigits(value % 100000000) >> (8 * (8 - (count - lead)));
  // Bytes of little-endian numbers, lowest first; the second store covers the first one's
  // scratch when there is no leading digit.
  std::memcpy(out, &first, sizeof first);
  std::memcpy(out + lead, &last, sizeof last);
  return out + count;
}

// As above, for UTF-16 text.
inline char16_t* WriteDecimal(char16_t* out, std::uint32_t value) {
  char bytes[kDecimalScratch];
  char* const end = WriteDecimal(bytes, value);
  for (std::size_t k = 0; k < kDecimalScratch; ++k) out[k] = static_cast<unsigned char>(bytes[k]);
  return out + (end - bytes);
}

static_assert(std::endian::native == std::endian::little, "the digit bytes are stored low first");
