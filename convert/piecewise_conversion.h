#pragma once
// The batch run's conversion of a text that arrives in pieces as its file is read: each
// piece's characters are tested as HasNonBinaryChars tests them, and its complete lines are
// converted as ConvertNumberLines converts them, so that the whole text is never held.

#include <cstdint>
#include <string>

#include "convert/number_lines.h"
#include "convert/text_buffer.h"

class PiecewiseConversion {
 public:
  // Appends the converted lines to `out`.
  explicit PiecewiseConversion(TextBuffer<char>& out) : out_(out) {}

  // Takes `text`, the text so far that earlier calls have left in it, followed by the next
  // piece: tests the new characters and converts and removes the complete lines at its front,
  // leaving the unfinished last line. With `last` the text is complete and all of it is taken.
  // Returns false once the outcome can no longer change (a foreign character was met).
  // Throws std::bad_alloc when memory runs out.
  bool Take(std::u16string& text, bool last);

  // A character other than '0', '1', CR and LF was met: nothing further is converted.
  bool Foreign() const { return foreign_; }
  // A line longer than kLongestLine was met: nothing further is converted, the characters
  // are still tested.
  bool TooLong() const { return tooLong_; }
  // Lines converted so far.
  std::int64_t Numbers() const { return numbers_; }

 private:
  TextBuffer<char>& out_;
  std::size_t tested_ = 0;  // characters at the front of the text already tested
  bool foreign_ = false;
  bool tooLong_ = false;
  std::int64_t numbers_ = 0;
};
