#pragma once
// A text and the index of its lines, for the read-only text view. Lines end at LF, CR LF or
// a lone CR; the text itself is kept exactly as given.
//
// The index is sparse: it counts the lines, marks where some of them start and keeps the
// longest few, all found in one pass over the text. Any other line is found by walking from
// the mark before it, never more than kLinesPerMark lines or kCharsPerMark characters.
//
// It may instead show decimal lines that it forms from their values as they are read
// (DecimalLinesText), which keeps its own index.

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/decimal_lines_text.h"
#include "convert/decimal_text.h"
#include "convert/shared_text.h"
#include "tuning/tuning.h"

// A line is marked when it is kLinesPerMark lines or kCharsPerMark characters (counted
// from start to start) after the previous mark; line 0 is always marked.
using tuning::kCharsPerMark;
using tuning::kLinesPerMark;

struct LineMark {
  std::size_t line = 0;
  std::size_t start = 0;  // position of the line's first character
  bool operator==(const LineMark&) const = default;
};

struct LineLength {
  std::size_t line = 0;
  std::size_t length = 0;  // characters without the line break
  bool operator==(const LineLength&) const = default;
};

// What one pass over a text finds out about its lines.
struct LineIndex {
  std::size_t lineCount = 1;  // one more than the line breaks
  std::vector<LineMark> marks{LineMark{}};
  // The longest lines, longest first (among lines of one length, the earlier first).
  std::vector<LineLength> longest{LineLength{}};
  bool operator==(const LineIndex&) const = default;
};

// Indexes the lines of `text`, keeping its `longestKept` longest lines; looks at eight
// characters together where the processor allows. Throws std::bad_alloc when memory runs out.
LineIndex IndexLines(std::u16string_view text, std::size_t longestKept);

class TextLines {
 public:
  // How many of the longest lines Assign finds out: as many as the view measures.
  // LongestLines asked for more walks the text.
  static constexpr std::size_t kLongestKept = tuning::kMeasuredLines;

  // Takes `text` (leaving it empty) and indexes its lines; throws std::bad_alloc when memory
  // runs out (both texts are then left as they were).
  void Assign(std::u16string&& text);
  // Shows `text` without a copy, keeping it alive meanwhile (its owners must not change it);
  // throws std::bad_alloc when memory runs out (the text shown is then kept).
  void Assign(const SharedText& text);
  // Shows the decimal lines of `lines` without writing them out: a line is formed when it is
  // read, and the whole text only when Text() is asked for.
  void Assign(std::shared_ptr<const DecimalLinesText> lines);

  // Number of characters.
  std::size_t Size() const { return decimal_ ? decimal_->Size() : text_.View().size(); }
  // The whole text. Decimal lines are written out the first time it is asked for, which throws
  // std::bad_alloc when memory runs out.
  std::u16string_view Text() const;
  // Writes the `count` characters from `position` at `out` (position + count <= Size()).
  void CopyChars(std::size_t position, std::size_t count, char16_t* out) const;
  // The `count` characters from `position` (position + count <= Size()): in place where the
  // text is kept whole, else written into `scratch`, which throws std::bad_alloc when memory
  // runs out.
  std::u16string_view Chars(std::size_t position, std::size_t count, std::u16string& scratch) const;
  // Number of lines: 1 for an empty text, one more than the line breaks otherwise.
  std::size_t LineCount() const { return decimal_ ? decimal_->LineCount() : index_.lineCount; }
  // Position of the first character of `line` (a line past the end gives the text's size).
  std::size_t LineStart(std::size_t line) const;
  // The characters of `line` without its line break; empty for a line past the end. For decimal
  // lines valid until the next call of Line.
  std::u16string_view Line(std::size_t line) const;
  // The line that holds `position`; a position inside a line break belongs to the line it
  // ends, a position past the end to the last line.
  std::size_t LineOf(std::size_t position) const;
  // The lines with the most characters, longest first (among lines of one length, the
  // earlier first), at most `count` of them; throws std::bad_alloc when memory runs out.
  std::vector<std::size_t> LongestLines(std::size_t count) const;

 private:
  // The last mark at or before `line` (which is below the line count).
  std::vector<LineMark>::const_iterator MarkOfLine(std::size_t line) const;
  // Position after the line break that ends the line starting at `start` (not the last line).
  std::size_t NextLineStart(std::size_t start) const;

  SharedText text_;
  LineIndex index_;
  std::shared_ptr<const DecimalLinesText> decimal_;       // when set, the text shown instead
  mutable std::optional<SharedText> written_;             // the decimal lines, once written out
  mutable std::array<char16_t, kDecimalScratch> line_{};  // the decimal line last read
};
