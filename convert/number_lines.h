#pragma once
// The numbers of a whole file text converted in one pass, for the batch run, which has no
// progress steps: the entries SplitIntoNumberList would cut, the 31-character limit
// the dialog applies and the decimal texts BinaryToDecimal gives, without building the number list.

#include <cstdint>
#include <string_view>

#include "convert/text_buffer.h"

struct NumberLinesOutcome {
  std::int64_t numbers = 0;    // lines converted
  std::int64_t lineFeeds = 0;  // LFs passed: all of the text's unless it is refused
  bool foreign = false;        // the text holds a character other than '0', '1', CR and LF
  bool tooLong = false;        // it holds none, but a line longer than kLongestLine
};

// How each converted line ends.
enum class LineEnd : unsigned char { kCrLf, kLf };

// Tests the characters of `text` as HasNonBinaryChars does and appends to `out`, for every
// non-empty line of it in order, its decimal text followed by `lineEnd`. A line ends at LF; every
// CR is dropped wherever it stands. Stops at a foreign character (foreign set) or at the first
// line longer than kLongestLine, leading zeros counted (tooLong set); `out` then holds some
// of the lines before. Throws std::bad_alloc when memory runs out.
NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out,
                                      LineEnd lineEnd = LineEnd::kCrLf);
// ConvertNumberLines without AVX-512, as on processors that lack it (avx512::Available()): the
// twin the tests hold it to.
NumberLinesOutcome ConvertNumberLinesPlainly(std::u16string_view text, TextBuffer<char>& out,
                                             LineEnd lineEnd = LineEnd::kCrLf);
// ConvertNumberLines of the UTF-16 units that `bytes` stand for one for one (ASCII; a byte
// beyond it is a foreign character), without widening them first.
NumberLinesOutcome ConvertNumberLines(std::string_view bytes, TextBuffer<char>& out,
                                      LineEnd lineEnd = LineEnd::kCrLf);
