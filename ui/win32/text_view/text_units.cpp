#include "ui/win32/text_view/text_units.h"

#include <algorithm>
#include <string_view>

namespace {

enum class CharClass { kSpace, kWord, kOther };

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The one rule for words: letters and digits (of any script) against punctuation and spaces.
CharClass ClassOf(char16_t c) {
  if (c == u' ' || c == u'\t' || c == 0x00A0 || c == 0x3000) return CharClass::kSpace;
  if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
      c == u'_') {
    return CharClass::kWord;
  }
  if (c < 0x80) return CharClass::kOther;
  const bool punctuation = (c >= 0x2000 && c <= 0x206F) || (c >= 0x3001 && c <= 0x303F) ||
                           (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
                           (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
  return punctuation ? CharClass::kOther : CharClass::kWord;
}

// Whether two units make one character: CR LF or a surrogate pair.
bool IsPair(const char16_t (&units)[2]) {
  return (units[0] == u'\r' && units[1] == u'\n') ||
         (IsHighSurrogate(units[0]) && IsLowSurrogate(units[1]));
}

// The boundary after `position` (below the text's size) or before it (above 0).
std::size_t NextCharacter(const TextLines& lines, std::size_t position) {
  char16_t units[2]{};
  const bool two = position + 1 < lines.Size();
  lines.CopyChars(position, two ? 2 : 1, units);
  return position + (two && IsPair(units) ? 2 : 1);
}

std::size_t PreviousCharacter(const TextLines& lines, std::size_t position) {
  char16_t units[2]{};
  const bool two = position >= 2;
  if (two) lines.CopyChars(position - 2, 2, units);
  return position - (two && IsPair(units) ? 2 : 1);
}

// The `k`-th cut of the line `text`, which ends any word there (a cut inside a surrogate pair
// moves one on); cut 0 is the line's start.
std::size_t Cut(std::u16string_view text, std::size_t k) {
  std::size_t at = k * kLongestWord;
  if (k > 0 && at < text.size() && IsLowSurrogate(text[at]) && IsHighSurrogate(text[at - 1])) {
    ++at;
  }
  return at;
}

std::size_t NextWord(const TextLines& lines, std::size_t position) {
  const std::size_t line = lines.LineOf(position);
  const std::size_t start = lines.LineStart(line);
  const std::u16string_view text = lines.Line(line);
  if (position >= start + text.size()) return lines.LineStart(line + 1);  // over the break
  std::size_t i = position - start;
  const std::size_t cut = Cut(text, i / kLongestWord);  // past i only when moved on
  const std::size_t limit = std::min(text.size(), cut > i ? cut : Cut(text, i / kLongestWord + 1));
  const CharClass first = ClassOf(text[i]);
  if (first != CharClass::kSpace) {
    while (i < limit && ClassOf(text[i]) == first) ++i;
  }
  while (i < limit && ClassOf(text[i]) == CharClass::kSpace) ++i;
  return start + i;
}

std::size_t PreviousWord(const TextLines& lines, std::size_t position) {
  const std::size_t line = lines.LineOf(position);
  const std::size_t start = lines.LineStart(line);
  if (position == start) return LineEnd(lines, line - 1);  // back over the break before
  const std::u16string_view text = lines.Line(line);
  if (position > start + text.size()) return start + text.size();  // inside a CR LF
  std::size_t i = position - start;
  std::size_t k = (i - 1) / kLongestWord;
  if (Cut(text, k) >= i) --k;
  const std::size_t limit = Cut(text, k);
  while (i > limit && ClassOf(text[i - 1]) == CharClass::kSpace) --i;
  if (i > limit) {
    const CharClass last = ClassOf(text[i - 1]);
    while (i > limit && ClassOf(text[i - 1]) == last) --i;
  }
  return start + i;
}

// Moves over the boundaries of a unit of `unitLines` lines: the starts of lines 0, unitLines,
// 2 * unitLines ... and the text's end.
UnitMove MoveByLines(const TextLines& lines, std::size_t position, long long count,
                     std::size_t unitLines) {
  const std::size_t size = lines.Size();
  const std::size_t line = lines.LineOf(position);
  const std::size_t unit = line / unitLines;
  if (count > 0) {
    if (position >= size) return {position, 0};
    const std::size_t lastUnit = (lines.LineCount() - 1) / unitLines;
    const std::size_t starts = lastUnit - unit;  // unit starts after the position
    // The text's end is a boundary of its own unless the last unit starts there.
    const std::size_t endToo = lines.LineStart(lastUnit * unitLines) != size ? 1 : 0;
    const auto moved = static_cast<std::size_t>(
        std::min<unsigned long long>(static_cast<unsigned long long>(count), starts + endToo));
    return {moved <= starts ? lines.LineStart((unit + moved) * unitLines) : size,
            static_cast<long long>(moved)};
  }
  if (position == 0) return {0, 0};
  // The unit starts before the position: 0 .. top.
  const std::size_t top = lines.LineStart(unit * unitLines) < position ? unit : unit - 1;
  const auto moved = static_cast<std::size_t>(
      std::min<unsigned long long>(0ULL - static_cast<unsigned long long>(count), top + 1));
  return {lines.LineStart((top + 1 - moved) * unitLines), -static_cast<long long>(moved)};
}

}  // namespace

std::size_t LineEnd(const TextLines& lines, std::size_t line) {
  return lines.LineStart(line) + lines.Line(line).size();
}

UnitMove MoveByUnits(const TextLines& lines, TextUnit unit, std::size_t position, long long count,
                     std::size_t pageLines) {
  const std::size_t size = lines.Size();
  position = std::min(position, size);
  if (count == 0) return {position, 0};
  switch (unit) {
    case TextUnit::kLine:
    case TextUnit::kParagraph:
      return MoveByLines(lines, position, count, 1);
    case TextUnit::kPage:
      return MoveByLines(lines, position, count, std::max<std::size_t>(pageLines, 1));
    case TextUnit::kDocument:
      if (count > 0) return position < size ? UnitMove{size, 1} : UnitMove{position};
      return position > 0 ? UnitMove{0, -1} : UnitMove{};
    case TextUnit::kCharacter:
    case TextUnit::kWord:
      break;
  }
  const bool words = unit == TextUnit::kWord;
  UnitMove move{position, 0};
  for (; count > 0 && move.position < size; --count, ++move.moved) {
    move.position = words ? NextWord(lines, move.position) : NextCharacter(lines, move.position);
  }
  for (; count < 0 && move.position > 0; ++count, --move.moved) {
    move.position =
        words ? PreviousWord(lines, move.position) : PreviousCharacter(lines, move.position);
  }
  return move;
}

UnitSpan EnclosingUnit(const TextLines& lines, TextUnit unit, std::size_t position,
                       std::size_t pageLines) {
  const std::size_t size = lines.Size();
  position = std::min(position, size);
  // The unit ends at the first boundary after the position, and starts at the last before that.
  const std::size_t end =
      position < size ? MoveByUnits(lines, unit, position, 1, pageLines).position : size;
  return {MoveByUnits(lines, unit, end, -1, pageLines).position, end};
}
