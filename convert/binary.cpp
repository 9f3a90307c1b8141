#include "convert/binary.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsBinaryOrLineBreak(char16_t c) { return c == u'0' || c == u'1' || c == u'\r' || c == u'\n'; }

int HasNonBinaryCharsOneByOne(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), IsBinaryOrLineBreak) ? 0 : 1;
}

}  // namespace

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

#if defined(__SSE2__)

int HasNonBinaryChars(std::u16string_view text) {
  // Eight characters at a time: c | 1 is '1' exactly for '0' and '1'.
  const __m128i one = _mm_set1_epi16(u'1');
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i lf = _mm_set1_epi16(u'\n');
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i accepted =
        _mm_or_si128(_mm_cmpeq_epi16(_mm_or_si128(c, _mm_set1_epi16(1)), one),
                     _mm_or_si128(_mm_cmpeq_epi16(c, cr), _mm_cmpeq_epi16(c, lf)));
    if (_mm_movemask_epi8(accepted) != 0xFFFF) return 1;
  }
  return HasNonBinaryCharsOneByOne(text.substr(i));
}

#else

int HasNonBinaryChars(std::u16string_view text) { return HasNonBinaryCharsOneByOne(text); }

#endif
