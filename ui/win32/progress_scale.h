#pragma once
// Fitting 64-bit progress values into the 32-bit range of the progress bar.

#include <cstdint>

// The right shift that brings `max` into 0..INT32_MAX; 0 when it fits already (or is negative).
int ProgressShiftFor(std::int64_t max);

// `value` shifted right by `shift` and clamped to 0..INT32_MAX (a negative value gives 0).
std::int32_t ScaleProgressValue(std::int64_t value, int shift);
