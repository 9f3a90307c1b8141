#pragma once
// The results of a file conversion as text: every value's decimal digits, each followed by
// CR LF.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "convert/number_values.h"
#include "convert/shared_text.h"
#include "tuning/tuning.h"

// The decimal lines of every entry of `values` (each at most kLargestValue), one after the
// other on one thread. Throws std::bad_alloc when memory runs out.
std::u16string DecimalLines(const NumberValues& values);

// The same, written by the calling thread and a helper thread side by side, each part of
// `partEntries` entries straight into its place, so that the two share the first touches of
// the new memory; fewer than `twoThreadsFrom` entries are written by the calling thread alone.
// For each part done, in order, the calling thread runs `step` with the number of entries
// written so far; when it returns true the writing stops and nullopt is returned. Throws
// std::bad_alloc when memory runs out.
std::optional<SharedText> DecimalLinesOnTwoThreads(
    const NumberValues& values, std::int64_t partEntries,
    const std::function<bool(std::int64_t)>& step,
    std::int64_t twoThreadsFrom = tuning::kWriteOnTwoThreadsFrom);
