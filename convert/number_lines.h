#pragma once
// The numbers of a whole file text converted in one pass, for the batch run, which has no
// progress steps: the entries SplitIntoNumberList would cut, the limit FindOverlongEntry
// applies and the decimal texts BinaryToDecimal gives, without building the number list.

#include <cstdint>
#include <string_view>

#include "convert/text_buffer.h"

struct NumberLinesOutcome {
  std::int64_t numbers = 0;  // lines converted
  bool tooLong = false;      // a line longer than kLongestLine stopped the pass
};

// Appends to `out`, for every non-empty line of `text` in order, its decimal text followed by
// CR LF. A line ends at LF; every CR is dropped wherever it stands; every other character is
// one binary digit, set only by '1'. Stops at the first line longer than kLongestLine
// (leading zeros count) with tooLong set; `out` then holds the lines before it. Throws
// std::bad_alloc when memory runs out.
NumberLinesOutcome ConvertNumberLines(std::u16string_view text, TextBuffer<char>& out);

// The same, one character at a time: the twin the block-wise pass is tested against, and the
// pass itself where the processor has no SSE2.
NumberLinesOutcome ConvertNumberLinesPlain(std::u16string_view text, TextBuffer<char>& out);
