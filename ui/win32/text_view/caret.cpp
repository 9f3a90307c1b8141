#include "ui/win32/text_view/caret.h"

#include <algorithm>

#include "ui/win32/text_view/text_units.h"

namespace {

int CaretWidth() {
  DWORD width = 1;
  if (!SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &width, 0)) width = 1;
  return static_cast<int>(std::clamp<DWORD>(width, 1, 16));
}

// The x of `position` in pixels from the text's left edge, unscrolled.
int ContentX(const TextView& view, std::size_t position) {
  return static_cast<int>(CharacterRect(view, position).left) - kTextMargin + view.left;
}

// The position `lines` lines below the caret (above when negative) at the x that Up and Down
// keep; the first or last line when that is out of the text.
std::size_t LinesAway(TextView& view, long long lines) {
  if (view.goalX < 0) view.goalX = ContentX(view, view.caret);
  const auto line = static_cast<long long>(view.lines.LineOf(view.caret));
  const auto last = static_cast<long long>(view.lines.LineCount()) - 1;
  return PositionInLine(view, static_cast<std::size_t>(std::clamp(line + lines, 0LL, last)),
                        view.goalX);
}

}  // namespace

void ShowViewCaret(const TextView& view) {
  CreateCaret(view.hwnd, nullptr, CaretWidth(), view.lineHeight);
  PlaceCaret(view);
  ShowCaret(view.hwnd);
}

void HideViewCaret() { DestroyCaret(); }

void PlaceCaret(const TextView& view) {
  if (GetFocus() != view.hwnd) return;
  const RECT cell = CharacterRect(view, view.caret);
  SetCaretPos(cell.left, cell.top);
}

bool MoveCaretByKey(TextView& view, unsigned key, bool shift, bool control) {
  const TextLines& lines = view.lines;
  const std::size_t caret = view.caret;
  const TextUnit stepUnit = control ? TextUnit::kWord : TextUnit::kCharacter;
  const auto rows = static_cast<long long>(VisibleRows(view));
  std::size_t target = caret;
  bool vertical = false;
  switch (key) {
    case VK_LEFT:
      target = MoveByUnits(lines, stepUnit, caret, -1).position;
      break;
    case VK_RIGHT:
      target = MoveByUnits(lines, stepUnit, caret, 1).position;
      break;
    case VK_UP:
    case VK_DOWN:
      vertical = true;
      target = LinesAway(view, key == VK_UP ? -1 : 1);
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      // A page: the view scrolls by its rows and the caret moves as many lines with it.
      vertical = true;
      const long long by = key == VK_PRIOR ? -rows : rows;
      target = LinesAway(view, by);
      const long long top = static_cast<long long>(view.topLine) + by;
      ScrollTo(view, top < 0 ? 0 : static_cast<std::size_t>(top), view.left);
      break;
    }
    case VK_HOME:
      target = control ? 0 : lines.LineStart(lines.LineOf(caret));
      break;
    case VK_END:
      target = control ? lines.Size() : LineEnd(lines, lines.LineOf(caret));
      break;
    default:
      return false;
  }
  const int keptX = vertical ? view.goalX : -1;
  Select(view, shift ? view.anchor : target, target);
  ScrollIntoView(view, target);
  view.goalX = vertical ? keptX : -1;
  return true;
}

void SelectWordAt(TextView& view, std::size_t position) {
  const TextLines& lines = view.lines;
  const std::size_t line = lines.LineOf(position);
  const std::size_t end = LineEnd(lines, line);
  // Past a line's end the word before it is meant, not the line break.
  if (position >= end && end > lines.LineStart(line)) position = end - 1;
  const UnitSpan word = EnclosingUnit(lines, TextUnit::kWord, position);
  Select(view, word.start, word.end);
}
