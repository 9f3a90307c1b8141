#pragma once
// Text units over a text and its line index, for the view's keys and its accessibility
// ranges: characters, words, lines, paragraphs, pages and the whole document.
//
// Each unit divides the text at boundaries; the text's start and end are boundaries of every
// unit. Between two neighbouring boundaries lies one unit:
// - character: one character, where a CR LF pair and a surrogate pair each count as one;
// - word: a run of letters and digits, or a run of other characters that are no spaces, each
//   with the spaces after it, as an edit box's Ctrl+Right moves; a line's start and its end
//   (before the line break) are boundaries too, so the line break is a word of its own; so is
//   every kLongestWord-th character of a line, which cuts a longer word;
// - line and paragraph: a line with its line break (a paragraph is a line here);
// - page: `pageLines` lines with their line breaks, counted from the first line;
// - document: the whole text.
// Nothing here passes over the whole text: lines are found through the line index, and words
// are looked for within their line only.

#include <cstddef>

#include "ui/win32/text_view/text_lines.h"

// Characters after which a longer word is cut, so that no move walks further.
inline constexpr std::size_t kLongestWord = 4096;

enum class TextUnit { kCharacter, kWord, kLine, kParagraph, kPage, kDocument };

// A position moved by units, and by how many units it moved (negative backward).
struct UnitMove {
  std::size_t position = 0;
  long long moved = 0;
  bool operator==(const UnitMove&) const = default;
};

// The positions where a unit starts and ends.
struct UnitSpan {
  std::size_t start = 0;
  std::size_t end = 0;
  bool operator==(const UnitSpan&) const = default;
};

// The position after the last character of `line`, before its line break; the text's size for
// a line past the end.
std::size_t LineEnd(const TextLines& lines, std::size_t line);

// Moves `position` (clamped to the text) over `count` boundaries of `unit`, forward when
// `count` is positive, stopping at the text's start and end. From inside a unit, one step back
// reaches that unit's start. A page has `pageLines` lines (at least 1). The time taken grows
// with |count| for characters and words (at most kLongestWord characters a word), not for the
// other units.
UnitMove MoveByUnits(const TextLines& lines, TextUnit unit, std::size_t position, long long count,
                     std::size_t pageLines = 1);

// The unit that holds `position` (clamped to the text): from the last boundary at or before it
// to the first boundary after it; at the text's end, the last unit; {0, 0} for an empty text.
UnitSpan EnclosingUnit(const TextLines& lines, TextUnit unit, std::size_t position,
                       std::size_t pageLines = 1);
