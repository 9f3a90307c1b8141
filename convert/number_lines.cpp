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
    if (p != end && *p != u'\n') continue;
    const LineValue line = PlainLineValue(lineStart, p);
    if (line.digits > kLongestLine) {
      outcome.tooLong = true;
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

constexpr std::ptrdiff_t kBlock = 64;   // characters whose line feeds are found at once
constexpr std::ptrdiff_t kWindow = 32;  // characters read before a line's end

__m128i Load8(const char16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// Bit k set where at[k] == c, for the 16 characters at `at`.
std::uint32_t Matches16(const char16_t* at, __m128i c) {
  const __m128i low = _mm_cmpeq_epi16(Load8(at), c);
  const __m128i high = _mm_cmpeq_epi16(Load8(at + 8), c);
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
}

// Bit k set where at[k] is LF, for the kBlock characters at `at`.
std::uint64_t LineFeeds(const char16_t* at) {
  const __m128i lf = _mm_set1_epi16(u'\n');
  std::uint64_t mask = 0;
  for (int k = 0; k < kBlock / 16; ++k) {
    mask |= std::uint64_t{Matches16(at + 16 * k, lf)} << (16 * k);
  }
  return mask;
}

std::uint32_t ReverseBits(std::uint32_t m) {
  m = ((m >> 1) & 0x55555555u) | ((m & 0x55555555u) << 1);
  m = ((m >> 2) & 0x33333333u) | ((m & 0x33333333u) << 2);
  m = ((m >> 4) & 0x0F0F0F0Fu) | ((m & 0x0F0F0F0Fu) << 4);
  m = ((m >> 8) & 0x00FF00FFu) | ((m & 0x00FF00FFu) << 8);
  return (m >> 16) | (m << 16);
}

// The value of the `count` (1..31) characters before `end`, which hold no CR, read in one go
// from the kWindow characters before `end`; false when a CR is among them.
bool WindowValue(const char16_t* end, std::size_t count, std::uint32_t& value) {
  const char16_t* const window = end - kWindow;
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i one = _mm_set1_epi16(u'1');
  // Bit k stands for window[k]; the line is the top `count` bits.
  const std::uint32_t returns = Matches16(window, cr) | Matches16(window + 16, cr) << 16;
  if ((returns >> (kWindow - count)) != 0) return false;
  const std::uint32_t ones = Matches16(window, one) | Matches16(window + 16, one) << 16;
  // Reversed, the last character is bit 0: each digit lands on its own weight.
  value = ReverseBits(ones) & ((1u << count) - 1);
  return true;
}

}  // namespace

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out) {
  NumberLinesOutcome outcome;
  const char16_t* const begin = text.data();
  const char16_t* const end = begin + text.size();
  const char16_t* lineStart = begin;
  for (const char16_t* block = begin; end - block >= kBlock; block += kBlock) {
    std::uint64_t feeds = LineFeeds(block);
    if (feeds == 0) continue;
    char* put = out.Room(kBlock * kLineRoom);
    do {
      const char16_t* const lf = block + std::countr_zero(feeds);
      feeds &= feeds - 1;
      const char16_t* digitsEnd = lf;
      if (digitsEnd != lineStart && digitsEnd[-1] == u'\r') --digitsEnd;
      const auto count = static_cast<std::size_t>(digitsEnd - lineStart);
      std::uint32_t value = 0;
      bool convert = count > 0;
      if (count > 0 && !(count <= kLongestLine && digitsEnd - begin >= kWindow &&
                         WindowValue(digitsEnd, count, value))) {
        // A CR inside the line, a long line or one at the very start: character by character.
        const LineValue line = PlainLineValue(lineStart, lf);
        if (line.digits > kLongestLine) {
          out.Commit(put);
          outcome.tooLong = true;
          return outcome;
        }
        value = line.value;
        convert = line.digits > 0;
      }
      if (convert) {
        put = PutNumber(put, value);
        ++outcome.numbers;
      }
      lineStart = lf + 1;
    } while (feeds != 0);
    out.Commit(put);
  }
  // The lines that end in the last, partial block.
  const NumberLinesOutcome rest =
      ConvertNumberLinesPlain(std::u16string_view(lineStart, end - lineStart), out);
  outcome.numbers += rest.numbers;
  outcome.tooLong = rest.tooLong;
  return outcome;
}

#else

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out) {
  return ConvertNumberLinesPlain(text, out);
}

#endif
