#include "convert/number_lines.h"

#include <bit>
#include <cstddef>

#include "convert/binary.h"
#include "convert/block_scan.h"
#include "convert/decimal_text.h"

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

// ConvertNumberLines one character at a time: the last line of a block-wise pass.
NumberLinesOutcome ConvertOneByOne(std::u16string_view text, TextBuffer<char>& out) {
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
      outcome.foreign = HasNonBinaryChars(std::u16string_view(p, end - p)) == 1;
      outcome.tooLong = !outcome.foreign;
      return outcome;
    }
    if (line.digits > 0) {
      out.Commit(PutNumber(out.Room(kLineRoom), line.value));
      ++outcome.numbers;
    }
    if (p == end) return outcome;
    lineStart = p + 1;
    ++outcome.lineFeeds;
  }
}

}  // namespace

#if defined(__SSE2__)

using namespace block_scan;

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out) {
  NumberLinesOutcome outcome;
  const char16_t* const begin = text.data();
  const char16_t* const end = begin + text.size();
  const char16_t* lineStart = begin;
  const char16_t* returnsBefore = begin;
  std::uint64_t previousOnes = 0;  // of the block before, as onesLastFirst
  for (const char16_t* block = begin; end - block > kBlock; block += kBlock) {
    AskAhead(text, static_cast<std::size_t>(block - begin));
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
        put = PutNumber(put, ValueBefore(ones, block, digitsEnd, count));
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
      ++outcome.lineFeeds;
    } while (feeds != 0);
    out.Commit(put);
  }
  const NumberLinesOutcome rest =
      ConvertOneByOne(std::u16string_view(lineStart, end - lineStart), out);
  outcome.numbers += rest.numbers;
  outcome.lineFeeds += rest.lineFeeds;
  outcome.tooLong = rest.tooLong;
  outcome.foreign = rest.foreign;
  return outcome;
}

#else

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out) {
  return ConvertOneByOne(text, out);
}

#endif
