#pragma once
// The program's one scanner of UTF-16 texts with SSE2: where a text's line feeds, carriage
// returns and '1's are, and whether it holds a foreign character, 16 characters at a time and 64
// to a block (the batch conversion's scan also with AVX-512, where the processor has it). The
// conversion also scans texts of bytes that stand one for one for UTF-16 units (ASCII) without
// widening them. Every block-wise pass over a text (the character test, the batch run's and the
// dialog's splits, the text view's line index) rests on it; each pass ends in a plain loop for
// the characters after the last whole block.

#if defined(__SSE2__)

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "convert/avx512.h"
#include "tuning/tuning.h"

namespace block_scan {

inline constexpr std::ptrdiff_t kBlock = 64;  // characters looked at together

struct BlockScan {
  std::uint64_t lineFeeds = 0;      // bit k: block[k] is LF
  std::uint64_t onesLastFirst = 0;  // bit 63 - k: block[k] is '1'
  std::uint64_t returns = 0;        // bit k: block[k] is CR
  bool loneReturn = false;          // a CR that is not followed by LF
  bool foreign = false;             // a character other than '0', '1', CR and LF
};

__extension__ using Uint128 = unsigned __int128;

namespace detail {
inline __m128i Load8(const char16_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// Bit k set where the 16-bit lane k of `low`, then of `high`, is all ones.
inline std::uint32_t Mask16(__m128i low, __m128i high) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
}

// Bit k set where byte k of `m` is all ones.
inline std::uint64_t Bits16(__m128i m) { return static_cast<std::uint32_t>(_mm_movemask_epi8(m)); }

// The 16 characters at `at` as bytes, with saturation: a character above U+00FF becomes 0xFF
// or 0x00, foreign as it was.
inline __m128i Narrow16(const char16_t* at) { return _mm_packus_epi16(Load8(at), Load8(at + 8)); }
// The 16 bytes at `at`, as they are.
inline __m128i Narrow16(const char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// All ones in the bytes of `c` that hold '0', '1', CR or LF (c | 1 is '1' exactly for the
// digits).
inline __m128i Accepted16(__m128i c) {
  const __m128i digit = _mm_cmpeq_epi8(_mm_or_si128(c, _mm_set1_epi8(1)), _mm_set1_epi8('1'));
  return _mm_or_si128(digit, _mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8('\r')),
                                          _mm_cmpeq_epi8(c, _mm_set1_epi8('\n'))));
}

// The bits of `m` in reverse order.
inline std::uint64_t ReverseBits(std::uint64_t m) {
  m = ((m >> 1) & 0x5555555555555555u) | ((m & 0x5555555555555555u) << 1);
  m = ((m >> 2) & 0x3333333333333333u) | ((m & 0x3333333333333333u) << 2);
  m = ((m >> 4) & 0x0F0F0F0F0F0F0F0Fu) | ((m & 0x0F0F0F0F0F0F0F0Fu) << 4);
  m = ((m >> 8) & 0x00FF00FF00FF00FFu) | ((m & 0x00FF00FF00FF00FFu) << 8);
  m = ((m >> 16) & 0x0000FFFF0000FFFFu) | ((m & 0x0000FFFF0000FFFFu) << 16);
  return (m >> 32) | (m << 32);
}
}  // namespace detail

// Looks at the kBlock characters at `block` and the one after them (which must exist). Narrowed
// to bytes first, so that each comparison covers 16 characters instead of 8. Scanning 200 MiB
// in memory: 52 → 33 ms; ConvertNumberLines on it, prefetching: 74 → 69 ms
// (medians of 9 runs, four rounds, in turn, 2026-12-07).
template <class Char>
inline BlockScan ScanBlock(const Char* block) {
  __m128i accepted = _mm_set1_epi8(-1);
  BlockScan scan;
  std::uint64_t ones = 0;
  for (std::ptrdiff_t k = 0; k < kBlock / 16; ++k) {
    const __m128i c = detail::Narrow16(block + 16 * k);
    const __m128i isLf = _mm_cmpeq_epi8(c, _mm_set1_epi8('\n'));
    accepted = _mm_and_si128(accepted, detail::Accepted16(c));
    scan.lineFeeds |= detail::Bits16(isLf) << (16 * k);
    scan.returns |= detail::Bits16(_mm_cmpeq_epi8(c, _mm_set1_epi8('\r'))) << (16 * k);
    ones |= detail::Bits16(_mm_cmpeq_epi8(c, _mm_set1_epi8('1'))) << (16 * k);
  }
  // A CR is lone unless an LF follows it, in this block or as the first of the next.
  const std::uint64_t followedByLf =
      (scan.lineFeeds >> 1) | (static_cast<std::uint64_t>(block[kBlock] == Char{'\n'}) << 63);
  scan.loneReturn = (scan.returns & ~followedByLf) != 0;
  scan.foreign = _mm_movemask_epi8(accepted) != 0xFFFF;
  scan.onesLastFirst = detail::ReverseBits(ones);
  return scan;
}

#if defined(VORNEL_AVX512)

namespace detail {
// Byte orders for vpermb over the 64 characters of a block: in order, from the bytes that
// _mm512_packus_epi16 leaves of its first 32 and its last 32 (eight of each in turn in every
// 128-bit lane); and last first, from the bytes in order.
struct WideOrders {
  std::uint8_t packed[64]{};
  std::uint8_t reversed[64]{};
  constexpr WideOrders() {
    for (int k = 0; k < 64; ++k) {
      const int half = k / 32;
      const int unit = k % 32;
      packed[k] = static_cast<std::uint8_t>(16 * (unit / 8) + 8 * half + unit % 8);
      reversed[k] = static_cast<std::uint8_t>(63 - k);
    }
  }
};
inline constexpr WideOrders kWideOrders;

// BlockScan of the 64 bytes `c`, in order, with the same bytes last first in `r`.
VORNEL_AVX512 __attribute__((always_inline)) inline BlockScan ScanBytesWide(__m512i c, __m512i r,
                                                                            bool lfAfter) {
  BlockScan scan;
  scan.lineFeeds = _mm512_cmpeq_epi8_mask(c, _mm512_set1_epi8('\n'));
  scan.returns = _mm512_cmpeq_epi8_mask(c, _mm512_set1_epi8('\r'));
  const std::uint64_t digits =
      _mm512_cmpeq_epi8_mask(_mm512_or_si512(c, _mm512_set1_epi8(1)), _mm512_set1_epi8('1'));
  scan.onesLastFirst = _mm512_cmpeq_epi8_mask(r, _mm512_set1_epi8('1'));
  const std::uint64_t followedByLf =
      (scan.lineFeeds >> 1) | (static_cast<std::uint64_t>(lfAfter) << 63);
  scan.loneReturn = (scan.returns & ~followedByLf) != 0;
  scan.foreign = ~(digits | scan.returns | scan.lineFeeds) != 0;
  return scan;
}
}  // namespace detail

// ScanBlock with AVX-512: the block in two loads instead of eight, its '1's last first by one
// byte permutation instead of reversing their bits. vornel-convert, 200 MiB written in pieces,
// against the scan with SSE2 (both with the texts sixteen at a time, 2026-12-10): file to file
// UTF-16 62.8 → 61.2 ms and ASCII 52.6 → 50.8 ms (21 alternating rounds), pipe to pipe
// 108.8 → 106.7 and 69.9 → 65.4 ms (15 rounds).
VORNEL_AVX512 inline BlockScan ScanBlockWide(const char16_t* block) {
  const __m512i packed =
      _mm512_packus_epi16(_mm512_loadu_si512(block), _mm512_loadu_si512(block + kBlock / 2));
  const __m512i c = _mm512_permutexvar_epi8(_mm512_loadu_si512(detail::kWideOrders.packed), packed);
  const __m512i r = _mm512_permutexvar_epi8(_mm512_loadu_si512(detail::kWideOrders.reversed), c);
  return detail::ScanBytesWide(c, r, block[kBlock] == u'\n');
}
VORNEL_AVX512 inline BlockScan ScanBlockWide(const char* block) {
  const __m512i c = _mm512_loadu_si512(block);
  const __m512i r = _mm512_permutexvar_epi8(_mm512_loadu_si512(detail::kWideOrders.reversed), c);
  return detail::ScanBytesWide(c, r, block[kBlock] == '\n');
}

#endif

// Whether the kBlock characters at `at` are all '0', '1', CR or LF.
inline bool AllAccepted(const char16_t* at) {
  __m128i accepted = _mm_set1_epi8(-1);
  for (std::ptrdiff_t k = 0; k < kBlock / 16; ++k) {
    accepted = _mm_and_si128(accepted, detail::Accepted16(detail::Narrow16(at + 16 * k)));
  }
  return _mm_movemask_epi8(accepted) == 0xFFFF;
}

// The line breaks among the eight characters at `at`: bit k of the low byte for a CR in lane
// k, of the high byte for an LF.
inline unsigned BreakLanes8(const char16_t* at) {
  const __m128i c = detail::Load8(at);
  return detail::Mask16(_mm_cmpeq_epi16(c, _mm_set1_epi16(u'\r')),
                        _mm_cmpeq_epi16(c, _mm_set1_epi16(u'\n')));
}

// Asks for the memory tuning::kPrefetchChars characters after `at` in `text` (the last
// character when fewer follow), so that it has come by the time a pass reaches it: the work
// on each line otherwise leaves the processor waiting for memory at every block.
template <class Char>
inline void AskAhead(std::basic_string_view<Char> text, std::size_t at) {
  const std::size_t ahead =
      std::min(at + static_cast<std::size_t>(tuning::kPrefetchChars), text.size() - 1);
  _mm_prefetch(reinterpret_cast<const char*>(text.data() + ahead), _MM_HINT_T0);
}

// Where the digits of the line from `lineStart` to its LF at `lf` end: before its CR.
template <class Char>
inline const Char* DigitsEnd(const Char* lineStart, const Char* lf) {
  return lf != lineStart && lf[-1] == Char{'\r'} ? lf - 1 : lf;
}

// The value of the `count` (1 to 31) characters before `digitsEnd`, which lies in the block
// at `block`, where only '1' counts: `ones` holds the '1's of the block before (bits 127..64,
// as onesLastFirst) and of this block (bits 63..0).
template <class Char>
inline std::uint32_t ValueBefore(Uint128 ones, const Char* block, const Char* digitsEnd,
                                 std::size_t count) {
  // The last digit's bit moves to bit 0; each digit lands on its own weight.
  const auto after = static_cast<unsigned>(digitsEnd - block + kBlock);
  return static_cast<std::uint32_t>(ones >> (2 * kBlock - after)) & ((1u << count) - 1);
}

}  // namespace block_scan

#endif
