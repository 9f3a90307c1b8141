#include "convert/number_lines.h"

#include <bit>
#include <cstddef>

#include "convert/binary.h"
#include "convert/decimal_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Room one converted line may take: its digits, CR LF and the formatter's scratch.
constexpr std::size_t kLineRoom = kDecimalScratch;
static_assert(kLineRoom >= 10 + 2, "ten digits and CR LF");

// Writes the decimal text of `value` and CR LF at `put`; returns the new end.
char* PutNumber(char* put, std::uint32_t value) {
  put = WriteDecimal(put, value);
  put[0] = '\r';
  put[1] = '\n';
  return put + 2;
}

struct LineValue {
  std::uint32_t value = 0;  // meaningful while digits <= 32
  std::size_t digits = 0;
};

// The digits of the line [begin, end): every character but CR is one.
LineValue PlainLineValue(const char16_t* begin, const char16_t* end) {
  LineValue line;
  for (const char16_t* p = begin; p != end; ++p) {
    if (*p == u'\r') continue;
    line.value = (line.value << 1) | (*p == u'1' ? 1u : 0u);
    ++line.digits;
  }
  return line;
}

}  // namespace

NumberLinesOutcome ConvertNumberLinesPlain(std::u16string_view text, TextBuffer<char>& out) {
  NumberLinesOutcome outcome;
  const char16_t* const end = text.data() + text.size();
  const char16_t* lineStart = text.data();
  for (const char16_t* p = lineStart;; ++p) {
    if (p != end && *p != u'\n') {
      if (*p != u'0' && *p != u'1' && *p != u'\r') {
        outcome.foreign = true;
        return outcome;
      }
      continue;
    }
    const LineValue line = PlainLineValue(lineStart, p);
    if (line.digits > kLongestLine) {
      outcome.foreign = HasNonBinaryCharsPlain(std::u16string_view(p, end - p)) == 1;
      outcome.tooLong = !outcome.foreign;
      return outcome;
    }
    if (line.digits > 0) {
      out.Commit(PutNumber(out.Room(kLineRoom), line.value));
      ++outcome.numbers;
    }
    if (p == end) return outcome;
    lineStart = p + 1;
  }
}

#if defined(__SSE2__)

namespace {

constexpr std::ptrdiff_t kBlock = 64;  // characters looked at together

__m128i Load8(const char16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// Bit k set where the 16-bit lane k of `low`, then of `high`, is all ones.
std::uint32_t Mask16(__m128i low, __m128i high) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
}

struct BlockScan {
  std::uint64_t lineFeeds = 0;      // bit k: block[k] is LF
  std::uint64_t onesLastFirst = 0;  // bit 63 - k: block[k] is '1'
  bool loneReturn = false;          // a CR that is not followed by LF
  bool foreign = false;             // a character other than '0', '1', CR and LF
};

__extension__ using Uint128 = unsigned __int128;

std::uint64_t ReverseBits(std::uint64_t m) {
  m = ((m >> 1) & 0x5555555555555555u) | ((m & 0x5555555555555555u) << 1);
  m = ((m >> 2) & 0x3333333333333333u) | ((m & 0x3333333333333333u) << 2);
  m = ((m >> 4) & 0x0F0F0F0F0F0F0F0Fu) | ((m & 0x0F0F0F0F0F0F0F0Fu) << 4);
  m = ((m >> 8) & 0x00FF00FF00FF00FFu) | ((m & 0x00FF00FF00FF00FFu) << 8);
  m = ((m >> 16) & 0x0000FFFF0000FFFFu) | ((m & 0x0000FFFF0000FFFFu) << 16);
  return (m >> 32) | (m << 32);
}

// Looks at the kBlock characters at `block` and the one after them.
BlockScan ScanBlock(const char16_t* block) {
  const __m128i lf = _mm_set1_epi16(u'\n');
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i one = _mm_set1_epi16(u'1');
  const __m128i lowBit = _mm_set1_epi16(1);
  __m128i accepted = _mm_set1_epi16(-1);
  BlockScan scan;
  std::uint64_t returns = 0;
  std::uint64_t ones = 0;
  for (std::ptrdiff_t k = 0; k < kBlock / 16; ++k) {
    const __m128i a = Load8(block + 16 * k);
    const __m128i b = Load8(block + 16 * k + 8);
    const __m128i lfA = _mm_cmpeq_epi16(a, lf);
    const __m128i lfB = _mm_cmpeq_epi16(b, lf);
    const __m128i crA = _mm_cmpeq_epi16(a, cr);
    const __m128i crB = _mm_cmpeq_epi16(b, cr);
    const __m128i oneA = _mm_cmpeq_epi16(a, one);
    const __m128i oneB = _mm_cmpeq_epi16(b, one);
    const __m128i digitA = _mm_cmpeq_epi16(_mm_or_si128(a, lowBit), one);
    const __m128i digitB = _mm_cmpeq_epi16(_mm_or_si128(b, lowBit), one);
    accepted = _mm_and_si128(accepted, _mm_or_si128(digitA, _mm_or_si128(lfA, crA)));
    accepted = _mm_and_si128(accepted, _mm_or_si128(digitB, _mm_or_si128(lfB, crB)));
    scan.lineFeeds |= std::uint64_t{Mask16(lfA, lfB)} << (16 * k);
    returns |= std::uint64_t{Mask16(crA, crB)} << (16 * k);
    ones |= std::uint64_t{Mask16(oneA, oneB)} << (16 * k);
  }
  // A CR is lone unless an LF follows it, in this block or as the first of the next.
  const std::uint64_t followedByLf =
      (scan.lineFeeds >> 1) | (static_cast<std::uint64_t>(block[kBlock] == u'\n') << 63);
  scan.loneReturn = (returns & ~followedByLf) != 0;
  scan.foreign = _mm_movemask_epi8(accepted) != 0xFFFF;
  scan.onesLastFirst = ReverseBits(ones);
  return scan;
}

// Where the digits of the line from `lineStart` to its LF at `lf` end: before its CR.
const char16_t* DigitsEnd(const char16_t* lineStart, const char16_t* lf) {
  return lf != lineStart && lf[-1] == u'\r' ? lf - 1 : lf;
}

}  // namespace

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out) {
  NumberLinesOutcome outcome;
  const char16_t* const begin = text.data();
  const char16_t* const end = begin + text.size();
  const char16_t* lineStart = begin;
  const char16_t* returnsBefore = begin;
  std::uint64_t previousOnes = 0;  // of the block before, as onesLastFirst
  for (const char16_t* block = begin; end - block > kBlock; block += kBlock) {
    const BlockScan scan = ScanBlock(block);
    if (scan.foreign) {
      outcome.foreign = true;
      return outcome;
    }
    if (scan.loneReturn) returnsBefore = block + kBlock;
    // The '1's of this block and the one before: bit 127 - p stands for the character p
    // places after the start of the block before.
    const Uint128 ones = Uint128{previousOnes} << 64 | scan.onesLastFirst;
    previousOnes = scan.onesLastFirst;
    std::uint64_t feeds = scan.lineFeeds;
    if (feeds == 0) continue;
    char* put = out.Room(kBlock * kLineRoom);
    do {
      const char16_t* const lf = block + std::countr_zero(feeds);
      feeds &= feeds - 1;
      const char16_t* const digitsEnd = DigitsEnd(lineStart, lf);
      const auto count = static_cast<std::size_t>(digitsEnd - lineStart);
      if (count > 0 && count <= kLongestLine && lineStart >= returnsBefore) {
        // The last digit's bit moves to bit 0; each digit lands on its own weight.
        const auto after = static_cast<unsigned>(digitsEnd - block + kBlock);
        const std::uint32_t value =
            static_cast<std::uint32_t>(ones >> (2 * kBlock - after)) & ((1u << count) - 1);
        put = PutNumber(put, value);
        ++outcome.numbers;
      } else if (count > 0) {
        const LineValue line = PlainLineValue(lineStart, lf);
        if (line.digits > kLongestLine) {
          out.Commit(put);
          outcome.foreign = HasNonBinaryChars(std::u16string_view(block, end - block)) == 1;
          outcome.tooLong = !outcome.foreign;
          return outcome;
        }
        if (line.digits > 0) {
          put = PutNumber(put, line.value);
          ++outcome.numbers;
        }
      }
      lineStart = lf + 1;
    } while (feeds != 0);
    out.Commit(put);
  }
  const NumberLinesOutcome rest =
      ConvertNumberLinesPlain(std::u16string_view(lineStart, end - lineStart), out);
  outcome.numbers += rest.numbers;
  outcome.tooLong = rest.tooLong;
  outcome.foreign = rest.foreign;
  return outcome;
}

#else

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out) {
  return ConvertNumberLinesPlain(text, out);
}

#endif
