#pragma once
// Plain references of the program's fast passes over a file text, one character at a time:
// the tests and the fuzz targets hold the block-wise passes against them.

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/number_values.h"
#include "convert/split.h"
#include "tests/support/line_list.h"

// The dialog's split (see SplitIntoNumberList) into a list of texts, one character at a time.
bool SplitIntoTexts(std::u16string& loadedText, LineList& numberList, std::int64_t& listLineCount,
                    const SplitStep& step = {}, std::int64_t stepEvery = 1);
// The same split into a list of values.
bool SplitIntoValuesPlain(std::u16string& loadedText, NumberValues& numberList,
                          std::int64_t& listLineCount, const SplitStep& step = {},
                          std::int64_t stepEvery = 1);

// Index of the first of the first `count` entries longer than kLongestLine; -1 when all fit.
std::int64_t FindOverlongEntry(const LineList& entries, std::int64_t count);

// 1 when `text` holds a character other than '0', '1', CR and LF; 0 otherwise.
int HasNonBinaryCharsPlain(std::u16string_view text);
