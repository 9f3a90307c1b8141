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

constexpr std::ptrdiff_t kBlock = 64;   // characters looked at together
constexpr std::ptrdiff_t kWindow = 32;  // characters read before a line's end

__m128i Load8(const char16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// Bit k set where the 16-bit lane k of `low`, then of `high`, is all ones.
std::uint32_t Mask16(__m128i low, __m128i high) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
}

struct BlockScan {
  std::uint64_t lineFeeds = 0;  // bit k: block[k] is LF
  bool loneReturn = false;      // a CR that is not followed by LF
  bool foreign = false;         // a character other than '0', '1', CR and LF
};

// Looks at the kBlock characters at `block` and the one after them.
BlockScan ScanBlock(const char16_t* block) {
  const __m128i lf = _mm_set1_epi16(u'\n');
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i one = _mm_set1_epi16(u'1');
  const __m128i lowBit = _mm_set1_epi16(1);
  __m128i accepted = _mm_set1_epi16(-1);
  __m128i lone = _mm_setzero_si128();
  __m128i lineFeeds[kBlock / 8];
  BlockScan scan;
  for (int k = 0; k < kBlock / 8; ++k) {
    const char16_t* const at = block + 8 * k;
    const __m128i c = Load8(at);
    const __m128i isLf = _mm_cmpeq_epi16(c, lf);
    const __m128i isCr = _mm_cmpeq_epi16(c, cr);
    // c | 1 is '1' exactly for '0' and '1'.
    const __m128i isDigit = _mm_cmpeq_epi16(_mm_or_si128(c, lowBit), one);
    accepted = _mm_and_si128(accepted, _mm_or_si128(isDigit, _mm_or_si128(isLf, isCr)));
    lone = _mm_or_si128(lone, _mm_andnot_si128(_mm_cmpeq_epi16(Load8(at + 1), lf), isCr));
    lineFeeds[k] = isLf;
  }
  for (int k = 0; k < kBlock / 16; ++k) {
    scan.lineFeeds |= std::uint64_t{Mask16(lineFeeds[2 * k], lineFeeds[2 * k + 1])} << (16 * k);
  }
  scan.loneReturn = _mm_movemask_epi8(lone) != 0;
  scan.foreign = _mm_movemask_epi8(accepted) != 0xFFFF;
  return scan;
}

std::uint32_t ReverseBits(std::uint32_t m) {
  m = ((m >> 1) & 0x55555555u) | ((m & 0x55555555u) << 1);
  m = ((m >> 2) & 0x33333333u) | ((m & 0x33333333u) << 2);
  m = ((m >> 4) & 0x0F0F0F0Fu) | ((m & 0x0F0F0F0Fu) << 4);
  m = ((m >> 8) & 0x00FF00FFu) | ((m & 0x00FF00FFu) << 8);
  return (m >> 16) | (m << 16);
}

// The value of the `count` (1..31) digits before `end`, read in one go from the kWindow
// characters before it.
std::uint32_t WindowValue(const char16_t* end, std::size_t count) {
  const char16_t* const window = end - kWindow;
  const __m128i one = _mm_set1_epi16(u'1');
  const auto ones = [&](int k) { return _mm_cmpeq_epi16(Load8(window + 8 * k), one); };
  // Bit k stands for window[k]; reversed, the last character is bit 0 and every digit lands
  // on its own weight.
  const std::uint32_t mask = Mask16(ones(0), ones(1)) | Mask16(ones(2), ones(3)) << 16;
  return ReverseBits(mask) & ((1u << count) - 1);
}

}  // namespace

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out) {
  NumberLinesOutcome outcome;
  const char16_t* const begin = text.data();
  const char16_t* const end = begin + text.size();
  const char16_t* lineStart = begin;
  // Lines that start before this hold a CR that does not end them: they are read one
  // character at a time.
  const char16_t* returnsBefore = begin;
  // Each block is looked at with the character after it, so the last full one is left over.
  for (const char16_t* block = begin; end - block > kBlock; block += kBlock) {
    const BlockScan scan = ScanBlock(block);
    if (scan.foreign) {
      outcome.foreign = true;
      return outcome;
    }
    if (scan.loneReturn) returnsBefore = block + kBlock;
    std::uint64_t feeds = scan.lineFeeds;
    if (feeds == 0) continue;
    char* put = out.Room(kBlock * kLineRoom);
    do {
      const char16_t* const lf = block + std::countr_zero(feeds);
      feeds &= feeds - 1;
      const char16_t* digitsEnd = lf;
      if (digitsEnd != lineStart && digitsEnd[-1] == u'\r') --digitsEnd;
      const auto count = static_cast<std::size_t>(digitsEnd - lineStart);
      bool convert = count > 0;
      if (convert) {
        std::uint32_t value = 0;
        if (count <= kLongestLine && digitsEnd - begin >= kWindow && lineStart >= returnsBefore) {
          value = WindowValue(digitsEnd, count);
        } else {
          // A long line, one at the very start, or one with a CR inside.
          const LineValue line = PlainLineValue(lineStart, lf);
          if (line.digits > kLongestLine) {
            out.Commit(put);
            outcome.foreign = HasNonBinaryChars(std::u16string_view(block, end - block)) == 1;
            outcome.tooLong = !outcome.foreign;
            return outcome;
          }
          value = line.value;
          convert = line.digits > 0;
        }
        if (convert) {
          put = PutNumber(put, value);
          ++outcome.numbers;
        }
      }
      lineStart = lf + 1;
    } while (feeds != 0);
    out.Commit(put);
  }
  // The lines that end in the last blocks.
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
