#pragma once
// A place in a text of binary numbers, as a refusal names it to the user.

#include <cstdint>

// Lines end at LF and count from 1; columns count the characters of a line from 1, CRs
// included.
struct TextPlace {
  std::int64_t line = 0;
  std::int64_t column = 0;  // 0 when the place is a whole line
};
