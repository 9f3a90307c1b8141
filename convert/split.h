#pragma once
// Cutting a loaded file text into the numbers to convert.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "convert/number_values.h"
#include "tuning/tuning.h"

// Runs after each examined position of the trimmed text, with that position's index;
// returns true to cancel the split.
using SplitStep = std::function<bool(std::int64_t position)>;

// Removes every trailing CR and LF from `loadedText` itself, then appends to `numberList`
// (expected empty) each non-empty line of the rest as its value, split at LF with every CR
// dropped, in order, and sets `listLineCount` to their number; a block of characters at a time
// while `stepEvery` is a multiple of 64. `step`, when given, runs after every `stepEvery`-th
// position and after the last one (after every position by default). Returns false when the
// step cancelled: `numberList` then stays empty and `listLineCount` holds the index of the line
// being collected. A text of `twoThreadsFrom` characters or more (trimmed) is split in two
// parts side by side, by this thread and a helper, and `step` then runs with the number of
// positions examined in both, less one: after every `stepEvery`-th of this thread's, as the
// helper's part ends, and after the last position.
bool SplitIntoNumberList(std::u16string_view& loadedText, NumberValues& numberList,
                         std::int64_t& listLineCount, const SplitStep& step = {},
                         std::int64_t stepEvery = 1,
                         std::size_t twoThreadsFrom = tuning::kSplitOnTwoThreadsFrom);
// The same for a text of its own, trimmed in place.
bool SplitIntoNumberList(std::u16string& loadedText, NumberValues& numberList,
                         std::int64_t& listLineCount, const SplitStep& step = {},
                         std::int64_t stepEvery = 1,
                         std::size_t twoThreadsFrom = tuning::kSplitOnTwoThreadsFrom);

// Removes every trailing CR and LF from `text`.
void TrimTrailingLineBreaks(std::u16string& text);
void TrimTrailingLineBreaks(std::u16string_view& text);
