#include "convert/number_lines.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "convert/avx512.h"
#include "convert/binary.h"
#include "convert/block_scan.h"
#include "convert/decimal_batch.h"
#include "convert/decimal_text.h"

namespace {

// Room one converted line may take: its digits, CR LF and the formatter's scratch.
constexpr std::size_t kLineRoom = kDecimalScratch;
static_assert(kLineRoom >= 10 + 2, "ten digits and CR LF");

struct LineValue {
  std::uint32_t value = 0;  // meaningful while digits <= 32
  std::size_t digits = 0;
};

// The digits of the line [begin, end): every character but CR is one.
template <class Char>
LineValue PlainLineValue(const Char* begin, const Char* end) {
  LineValue line;
  for (const Char* p = begin; p != end; ++p) {
    if (*p == Char{'\r'}) continue;
    line.value = (line.value << 1) | (*p == Char{'1'} ? 1u : 0u);
    ++line.digits;
  }
  return line;
}

// Whether the characters [begin, end) hold one other than '0', '1', CR and LF.
bool HoldsForeign(const char16_t* begin, const char16_t* end) {
  return HasNonBinaryChars(std::u16string_view(begin, end - begin)) == 1;
}
bool HoldsForeign(const char* begin, const char* end) {
  return !std::all_of(begin, end,
                      [](char c) { return c == '0' || c == '1' || c == '\r' || c == '\n'; });
}

// ConvertNumberLines one character at a time: the last line of a block-wise pass.
template <class Char>
NumberLinesOutcome ConvertOneByOne(std::basic_string_view<Char> text, TextBuffer<char>& out,
                                   LineEnd lineEnd) {
  NumberLinesOutcome outcome;
  const Char* const end = text.data() + text.size();
  const Char* lineStart = text.data();
  for (const Char* p = lineStart;; ++p) {
    if (p != end && *p != Char{'\n'}) {
      if (*p != Char{'0'} && *p != Char{'1'} && *p != Char{'\r'}) {
        outcome.foreign = true;
        return outcome;
      }
      continue;
    }
    const LineValue line = PlainLineValue(lineStart, p);
    if (line.digits > kLongestLine) {
      outcome.foreign = HoldsForeign(p, end);
      outcome.tooLong = !outcome.foreign;
      return outcome;
    }
    if (line.digits > 0) {
      out.Commit(decimal_batch::PutOne(out.Room(kLineRoom), line.value, lineEnd));
      ++outcome.numbers;
    }
    if (p == end) return outcome;
    lineStart = p + 1;
    ++outcome.lineFeeds;
  }
}

#if defined(__SSE2__)

using namespace block_scan;

#if defined(VORNEL_AVX512)
// The places of a block's characters, 0 to 63, one a byte.
struct BlockPlaces {
  std::uint8_t places[kBlock]{};
  constexpr BlockPlaces() {
    for (int k = 0; k < kBlock; ++k) places[k] = static_cast<std::uint8_t>(k);
  }
};
inline constexpr BlockPlaces kBlockPlaces;
#endif

// Values of lines whose decimal texts wait to be put sixteen at a time.
class WaitingNumbers {
 public:
  void Add(std::uint32_t value) { values_[count_++] = value; }
#if defined(VORNEL_AVX512)
  // Adds the values of the lines that end in the block at `block`, eight at a time: their LFs
  // are the bits of `feeds`, and bit k of `crsBefore` tells a CR before block[k]. `ones`
  // holds the '1's of the block before and this one as ValueBefore takes them. The first line
  // starts at `lineStart`; none is taken when a lone CR lies after it, before
  // `returnsBefore`. Moves `lineStart` and `outcome` past the lines taken; returns the LFs of
  // the lines left, from the first eight that hold one of more than kLongestLine digits, for
  // the plain loop.
  // Against the plain loop alone, 200 MiB written in pieces (2026-12-10): under wine the hand-off
  // run in its process 65.9 → 59.9 ms (medians of seven alternating sets of nine, less in all
  // seven); vornel-convert from a pipe to a pipe UTF-16 84.9 → 81.1 and ASCII 67.4 → 64.5 ms,
  // from a file to a file, where the reading leads, 46.3 → 47.0 and 44.3 → 45.7 ms (21
  // alternating rounds).
  template <class Char>
  VORNEL_AVX512 std::uint64_t AddLines(const Char* block, std::uint64_t feeds,
                                       std::uint64_t crsBefore, Uint128 ones,
                                       const Char* returnsBefore, const Char*& lineStart,
                                       NumberLinesOutcome& outcome) {
    if (lineStart < returnsBefore) return feeds;
    // Unaligned: the Windows build does not align the stack beyond 16 bytes.
    std::uint8_t ends[kBlock];  // of the lines, in the block, in order
    _mm512_storeu_si512(ends,
                        _mm512_maskz_compress_epi8(feeds, _mm512_loadu_si512(kBlockPlaces.places)));
    const int lines = std::popcount(feeds);
    const __m512i one = _mm512_set1_epi64(1);
    const __m512i cr = _mm512_set1_epi64(static_cast<long long>(crsBefore));
    const __m512i low = _mm512_set1_epi64(static_cast<long long>(static_cast<std::uint64_t>(ones)));
    const __m512i high =
        _mm512_set1_epi64(static_cast<long long>(static_cast<std::uint64_t>(ones >> 64)));
    std::ptrdiff_t start = lineStart - block;  // of the next line; before the block at first
    int first = 0;
    for (; first < lines; first += 8) {
      const auto taken =
          static_cast<__mmask8>(lines - first >= 8 ? 0xFF : (1u << (lines - first)) - 1);
      const __m512i lf =
          _mm512_cvtepu8_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(ends + first)));
      // Each line starts after the LF before it, and its digits end before its CR.
      const __m512i starts = _mm512_add_epi64(
          _mm512_alignr_epi64(lf, _mm512_set1_epi64(static_cast<long long>(start) - 1), 7), one);
      const __m512i digitsEnd =
          _mm512_sub_epi64(lf, _mm512_and_si512(_mm512_srlv_epi64(cr, lf), one));
      const __m512i count = _mm512_sub_epi64(digitsEnd, starts);
      if (_mm512_mask_cmpgt_epu64_mask(
              taken, count, _mm512_set1_epi64(static_cast<long long>(kLongestLine))) != 0) {
        break;
      }
      // ValueBefore in each lane: `ones` shifted right by 64 - digitsEnd (1 to 65).
      const __m512i value = _mm512_and_si512(
          _mm512_or_si512(
              _mm512_or_si512(
                  _mm512_srlv_epi64(low, _mm512_sub_epi64(_mm512_set1_epi64(64), digitsEnd)),
                  _mm512_sllv_epi64(high, digitsEnd)),
              _mm512_srlv_epi64(high, _mm512_sub_epi64(_mm512_setzero_si512(), digitsEnd))),
          _mm512_sub_epi64(_mm512_sllv_epi64(one, count), one));
      const __mmask8 numbers = _mm512_mask_cmpneq_epu64_mask(taken, count, _mm512_setzero_si512());
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(values_ + count_),
                          _mm512_cvtepi64_epi32(_mm512_maskz_compress_epi64(numbers, value)));
      const int added = std::popcount(static_cast<unsigned>(numbers));
      count_ += static_cast<std::size_t>(added);
      outcome.numbers += added;
      start = ends[first + std::popcount(static_cast<unsigned>(taken)) - 1] + 1;
    }
    const int passed = std::min(first, lines);
    outcome.lineFeeds += passed;
    lineStart = block + start;
    return passed == 0 ? feeds : passed == lines ? 0 : feeds & (~std::uint64_t{0} << start);
  }
#endif
  // Puts every whole batch at `put`, or with `all` every value; returns the end.
  char* Put(char* put, LineEnd lineEnd, bool all) {
    std::size_t done = 0;
    for (; count_ - done >= decimal_batch::kNumbers; done += decimal_batch::kNumbers) {
      put = decimal_batch::PutBatch(put, values_ + done, lineEnd);
    }
    if (all) {
      for (; done < count_; ++done) put = decimal_batch::PutOne(put, values_[done], lineEnd);
    } else if (done > 0) {
      // Fewer than a batch are left: they move to the front as a batch's worth.
      std::memcpy(values_, values_ + done, sizeof(std::uint32_t) * decimal_batch::kNumbers);
    }
    count_ -= done;
    return put;
  }

 private:
  // At most a batch less one waits from the blocks before, and a block adds at most kBlock
  // (AddLines stores eight at a time, within that room).
  std::uint32_t values_[decimal_batch::kNumbers + kBlock];
  std::size_t count_ = 0;
};

// Room the lines of one block may take, with the texts waiting from the blocks before.
constexpr std::size_t kBlockRoom = (kBlock + decimal_batch::kNumbers) * kLineRoom;
static_assert(kLineRoom * decimal_batch::kNumbers >=
                  (10 + 2) * decimal_batch::kNumbers + decimal_batch::kScratch,
              "a batch's texts and scratch fit the room of its lines");

// Puts the decimal text of `value` at `put` now, or with `kWide` adds it to `waiting` to be put
// with its batch; returns the new end.
template <bool kWide>
__attribute__((always_inline)) inline char* PutNumber(char* put, std::uint32_t value,
                                                      WaitingNumbers& waiting, LineEnd lineEnd) {
  if constexpr (kWide) {
    waiting.Add(value);
    return put;
  } else {
    return decimal_batch::PutOne(put, value, lineEnd);
  }
}

// ScanBlock, or with `kWide` ScanBlockWide.
template <bool kWide, class Char>
__attribute__((always_inline)) inline BlockScan ScanBlockAs(const Char* block) {
  if constexpr (kWide) {
    return ScanBlockWide(block);
  } else {
    return ScanBlock(block);
  }
}

// ConvertNumberLines a block of characters at a time; `kWide`: with AVX-512, each block scanned
// in two loads and the decimal texts put sixteen at a time. Inlined into the one function
// that enables AVX-512 and the one that does not.
template <class Char, bool kWide>
__attribute__((always_inline)) inline NumberLinesOutcome ConvertBlockWiseBody(
    std::basic_string_view<Char> text, TextBuffer<char>& out, LineEnd lineEnd) {
  NumberLinesOutcome outcome;
  WaitingNumbers waiting;
  const Char* const begin = text.data();
  const Char* const end = begin + text.size();
  const Char* lineStart = begin;
  const Char* returnsBefore = begin;
  std::uint64_t previousOnes = 0;     // of the block before, as onesLastFirst
  std::uint64_t previousReturns = 0;  // of the block before
  for (const Char* block = begin; end - block > kBlock; block += kBlock) {
    AskAhead(text, static_cast<std::size_t>(block - begin));
    const BlockScan scan = ScanBlockAs<kWide>(block);
    if (scan.foreign) {
      outcome.foreign = true;
      return outcome;
    }
    if (scan.loneReturn) returnsBefore = block + kBlock;
    // The '1's of this block and the one before: bit 127 - p stands for the character p
    // places after the start of the block before.
    const Uint128 ones = Uint128{previousOnes} << 64 | scan.onesLastFirst;
    previousOnes = scan.onesLastFirst;
    const std::uint64_t crsBefore = scan.returns << 1 | previousReturns >> 63;
    previousReturns = scan.returns;
    std::uint64_t feeds = scan.lineFeeds;
    if (feeds == 0) continue;
#if defined(VORNEL_AVX512)
    if constexpr (kWide) {
      feeds = waiting.AddLines(block, feeds, crsBefore, ones, returnsBefore, lineStart, outcome);
    }
#endif
    char* put = out.Room(kBlockRoom);
    while (feeds != 0) {
      const Char* const lf = block + std::countr_zero(feeds);
      feeds &= feeds - 1;
      const Char* const digitsEnd = DigitsEnd(lineStart, lf);
      const auto count = static_cast<std::size_t>(digitsEnd - lineStart);
      if (count > 0 && count <= kLongestLine && lineStart >= returnsBefore) {
        put = PutNumber<kWide>(put, ValueBefore(ones, block, digitsEnd, count), waiting, lineEnd);
        ++outcome.numbers;
      } else if (count > 0) {
        const LineValue line = PlainLineValue(lineStart, lf);
        if (line.digits > kLongestLine) {
          out.Commit(waiting.Put(put, lineEnd, true));
          outcome.foreign = HoldsForeign(block, end);
          outcome.tooLong = !outcome.foreign;
          return outcome;
        }
        if (line.digits > 0) {
          put = PutNumber<kWide>(put, line.value, waiting, lineEnd);
          ++outcome.numbers;
        }
      }
      lineStart = lf + 1;
      ++outcome.lineFeeds;
    }
    out.Commit(waiting.Put(put, lineEnd, false));
  }
  out.Commit(waiting.Put(out.Room(kBlockRoom), lineEnd, true));
  const NumberLinesOutcome rest =
      ConvertOneByOne(std::basic_string_view<Char>(lineStart, end - lineStart), out, lineEnd);
  outcome.numbers += rest.numbers;
  outcome.lineFeeds += rest.lineFeeds;
  outcome.tooLong = rest.tooLong;
  outcome.foreign = rest.foreign;
  return outcome;
}

template <class Char>
NumberLinesOutcome ConvertPlainly(std::basic_string_view<Char> text, TextBuffer<char>& out,
                                  LineEnd lineEnd) {
  return ConvertBlockWiseBody<Char, false>(text, out, lineEnd);
}

#if defined(VORNEL_AVX512)
template <class Char>
VORNEL_AVX512 NumberLinesOutcome ConvertWidely(std::basic_string_view<Char> text,
                                               TextBuffer<char>& out, LineEnd lineEnd) {
  return ConvertBlockWiseBody<Char, true>(text, out, lineEnd);
}
#endif

template <class Char>
NumberLinesOutcome ConvertBlockWise(std::basic_string_view<Char> text, TextBuffer<char>& out,
                                    LineEnd lineEnd) {
#if defined(VORNEL_AVX512)
  if (avx512::Available()) return ConvertWidely(text, out, lineEnd);
#endif
  return ConvertPlainly(text, out, lineEnd);
}

#else

template <class Char>
NumberLinesOutcome ConvertBlockWise(std::basic_string_view<Char> text, TextBuffer<char>& out,
                                    LineEnd lineEnd) {
  return ConvertOneByOne(text, out, lineEnd);
}

#endif

}  // namespace

NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out,
                                      LineEnd lineEnd) {
  return ConvertBlockWise(text, out, lineEnd);
}

NumberLinesOutcome ConvertNumberLinesPlainly(std::u16string_view text, TextBuffer<char>& out,
                                             LineEnd lineEnd) {
#if defined(__SSE2__)
  return ConvertPlainly(text, out, lineEnd);
#else
  return ConvertBlockWise(text, out, lineEnd);
#endif
}

// The bytes scanned as they are instead of widened chunk by chunk first: 100 MiB of ASCII in
// chunks of 32 Ki characters, one thread, in memory 67 → 57 ms (three runs, timed in a program
// of its own, 2026-12-08). vornel-convert on it, written in pieces: file to file 84 → 81 ms, pipe
// to pipe 140 → 133 ms (bench/compare.sh, 7 rounds, within the machine's scatter).
NumberLinesOutcome ConvertNumberLines(std::string_view bytes, TextBuffer<char>& out,
                                      LineEnd lineEnd) {
  return ConvertBlockWise(bytes, out, lineEnd);
}
