#include "convert/decimal_batch.h"

#include <bit>

#include "convert/avx512.h"

namespace decimal_batch {

namespace {

#if defined(VORNEL_AVX512)

// Each value's text is formed in a slot of 16 bytes: its ten digits with leading zeros, its line
// end, scratch. A register holds four slots; these tables gather register m's slots (values
// 4m to 4m + 3) from the digits as PutWide forms them.
struct SlotTables {
  std::uint8_t lowDigits[4][64]{};   // slot bytes 2..9, from the low eight digits
  std::uint8_t highDigits[4][64]{};  // slot bytes 0 and 1, from the two high digits
  constexpr SlotTables() {
    for (int m = 0; m < 4; ++m) {
      for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 16; ++j) {
          // The low digits of lane m's values 0 and 1 lie in the first register, of 2 and 3 in
          // the second (index 64 on), eight bytes each; the high digits at 4 bytes a value.
          const int low = (k < 2 ? 0 : 64) + 16 * m + 8 * (k % 2) + (j - 2);
          lowDigits[m][16 * k + j] = static_cast<std::uint8_t>(j >= 2 && j < 10 ? low : 0);
          highDigits[m][16 * k + j] = static_cast<std::uint8_t>(j < 2 ? 4 * (4 * m + k) + j : 0);
        }
      }
    }
  }
};
constexpr SlotTables kSlots;

// v / d in each 32-bit lane, for v below 2^32, as (v * magic) >> shift.
VORNEL_AVX512 __m512i Divide(__m512i v, std::uint32_t magic, int shift) {
  const __m512i m = _mm512_set1_epi64(magic);
  const __m512i even = _mm512_srli_epi64(_mm512_mul_epu32(v, m), shift);
  const __m512i odd = _mm512_srli_epi64(_mm512_mul_epu32(_mm512_srli_epi64(v, 32), m), shift);
  return _mm512_or_si512(even, _mm512_slli_epi64(odd, 32));
}

// The tens and units of the 16-bit lanes of `v` (each below 100) as ASCII digits: the tens in
// the low byte of each lane.
VORNEL_AVX512 __m512i TwoDigits(__m512i v) {
  const __m512i tens = _mm512_mulhi_epu16(v, _mm512_set1_epi16(6554));  // v / 10 below 100
  const __m512i units = _mm512_sub_epi16(v, _mm512_mullo_epi16(tens, _mm512_set1_epi16(10)));
  return _mm512_add_epi8(_mm512_or_si512(tens, _mm512_slli_epi16(units, 8)), _mm512_set1_epi8('0'));
}

// PutBatch with AVX-512.
VORNEL_AVX512 char* PutWide(char* put, const std::uint32_t* values, LineEnd lineEnd) {
  const __m512i v = _mm512_loadu_si512(values);
  // v = high * 10^8 + abcd * 10^4 + efgh.
  const __m512i high = Divide(v, 1441151881, 57);  // ceil(2^57 / 10^8)
  const __m512i low = _mm512_sub_epi32(v, _mm512_mullo_epi32(high, _mm512_set1_epi32(100000000)));
  const __m512i abcd = Divide(low, 109951163, 40);  // ceil(2^40 / 10^4)
  const __m512i efgh = _mm512_sub_epi32(low, _mm512_mullo_epi32(abcd, _mm512_set1_epi32(10000)));
  // In 16-bit lanes [abcd, efgh] → [ab, ef] and [cd, gh] → their digits.
  const __m512i fours = _mm512_or_si512(abcd, _mm512_slli_epi32(efgh, 16));
  const __m512i hundreds = _mm512_srli_epi16(_mm512_mulhi_epu16(fours, _mm512_set1_epi16(5243)), 3);
  const __m512i rest =
      _mm512_sub_epi16(fours, _mm512_mullo_epi16(hundreds, _mm512_set1_epi16(100)));
  const __m512i abef = TwoDigits(hundreds);
  const __m512i cdgh = TwoDigits(rest);
  // Within each 128-bit lane: the eight digits of its values 0 and 1, then of 2 and 3.
  const __m512i digits01 = _mm512_unpacklo_epi16(abef, cdgh);
  const __m512i digits23 = _mm512_unpackhi_epi16(abef, cdgh);
  const __m512i highDigits = TwoDigits(high);
  const bool lf = lineEnd == LineEnd::kLf;
  const __m512i ends = _mm512_broadcast_i32x4(
      lf ? _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\n', 0, 0, 0, 0, 0)
         : _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\r', '\n', 0, 0, 0, 0));
  constexpr __mmask64 kHighBytes = 0x0003000300030003u;
  constexpr __mmask64 kEndBytes = 0x0C000C000C000C00u;
  // Of each slot: bits 9 to 15 are never leading zeros (a value has at least one digit); the
  // text runs from its first digit that is not a leading zero through its line end.
  constexpr std::uint64_t kNotLeading = 0xFE00FE00FE00FE00u;
  const std::uint64_t textBytes = lf ? 0x07FF07FF07FF07FFu : 0x0FFF0FFF0FFF0FFFu;
  for (int m = 0; m < 4; ++m) {
    __m512i slots =
        _mm512_permutex2var_epi8(digits01, _mm512_loadu_si512(kSlots.lowDigits[m]), digits23);
    slots = _mm512_mask_permutexvar_epi8(slots, kHighBytes,
                                         _mm512_loadu_si512(kSlots.highDigits[m]), highDigits);
    slots = _mm512_mask_mov_epi8(slots, kEndBytes, ends);
    // Each slot's first byte that is no leading zero, and every byte above it: x | -x in each
    // 16 bits (no carry crosses, as bit 9 of each is set).
    const std::uint64_t first = ~_mm512_cmpeq_epi8_mask(slots, _mm512_set1_epi8('0')) | kNotLeading;
    const std::uint64_t kept = (first | (~first + 0x0001000100010001u)) & textBytes;
    _mm512_storeu_si512(put, _mm512_maskz_compress_epi8(kept, slots));
    put += std::popcount(kept);
  }
  return put;
}

#endif

}  // namespace

char* PutBatch(char* put, const std::uint32_t* values, LineEnd lineEnd) {
#if defined(VORNEL_AVX512)
  if (avx512::Available()) return PutWide(put, values, lineEnd);
#endif
  for (std::size_t k = 0; k < kNumbers; ++k) put = PutOne(put, values[k], lineEnd);
  return put;
}

}  // namespace decimal_batch
