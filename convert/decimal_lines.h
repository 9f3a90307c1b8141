#pragma once
// The results of a file conversion written out as text: every value's decimal digits, each
// followed by CR LF. What DecimalLinesText forms line by line as it is read.

#include <string>

#include "convert/number_values.h"

// The decimal lines of every entry of `values` (each at most kLargestValue), one after the
// other. Throws std::bad_alloc when memory runs out.
std::u16string DecimalLines(const NumberValues& values);
