#pragma once
// A text and the index of its lines, for the read-only text view. Lines end at LF, CR LF or
// a lone CR; the text itself is kept exactly as given.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TextLines {
 public:
  // Takes `text` (leaving it empty) and indexes its lines; throws std::bad_alloc when memory
  // runs out (both texts are then left as they were).
  void Assign(std::u16string&& text);

  const std::u16string& Text() const { return text_; }
  // Number of lines: 1 for an empty text, one more than the line breaks otherwise.
  std::size_t LineCount() const { return starts_.size(); }
  // Position of the first character of `line` (a line past the end gives the text's size).
  std::size_t LineStart(std::size_t line) const;
  // The characters of `line` without its line break; empty for a line past the end.
  std::u16string_view Line(std::size_t line) const;
  // The line that holds `position`; a position inside a line break belongs to the line it
  // ends, a position past the end to the last line.
  std::size_t LineOf(std::size_t position) const;
  // The lines with the most characters, longest first, at most `count` of them (no more
  // memory than for those).
  std::vector<std::size_t> LongestLines(std::size_t count) const;

 private:
  std::u16string text_;
  std::vector<std::size_t> starts_{0};
};
