#include "ui/win32/text_view/view_state.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "tuning/tuning.h"
#include "ui/win32/text_view/accessibility.h"
#include "ui/win32/text_view/caret.h"

namespace {

int Count(std::u16string_view text) { return static_cast<int>(text.size()); }

int ClampToInt(std::size_t value) {
  return static_cast<int>(std::min<std::size_t>(value, INT_MAX));
}

// The x of `column` of the shown part `shown` in pixels from the text's left edge, unscrolled.
int ColumnX(HDC dc, std::u16string_view shown, std::size_t column) {
  return TextWidth(dc, shown.substr(0, std::min(column, shown.size())));
}

void SetBarPosition(HWND hwnd, int bar, int position) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, position, 0};
  SetScrollInfo(hwnd, bar, &info, TRUE);
}

}  // namespace

ViewDC::ViewDC(const TextView& view)
    : hwnd_(view.hwnd),
      dc_(GetDC(hwnd_)),
      oldFont_(view.font != nullptr ? SelectObject(dc_, view.font) : nullptr) {}

ViewDC::~ViewDC() {
  if (oldFont_ != nullptr) SelectObject(dc_, oldFont_);
  ReleaseDC(hwnd_, dc_);
}

int TextWidth(HDC dc, std::u16string_view text) {
  SIZE size{};
  if (text.empty() || !GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                                             Count(text), &size)) {
    return 0;
  }
  return size.cx;
}

std::u16string_view ShownPart(std::u16string_view line) {
  return line.substr(0, std::min(line.size(), tuning::kMaxShownChars));
}

RECT ClientRect(const TextView& view) {
  RECT client{};
  GetClientRect(view.hwnd, &client);
  return client;
}

std::size_t VisibleRows(const TextView& view) {
  const RECT client = ClientRect(view);
  return static_cast<std::size_t>(std::max(1L, (client.bottom - client.top) / view.lineHeight));
}

std::size_t MaxTopLine(const TextView& view) {
  const std::size_t rows = VisibleRows(view);
  const std::size_t count = view.lines.LineCount();
  return count > rows ? count - rows : 0;
}

int MaxLeft(const TextView& view) {
  const RECT client = ClientRect(view);
  return std::max(0, view.textWidth + 2 * kTextMargin - static_cast<int>(client.right));
}

std::size_t SelectionBegin(const TextView& view) { return std::min(view.anchor, view.caret); }
std::size_t SelectionEnd(const TextView& view) { return std::max(view.anchor, view.caret); }

void UpdateScrollBars(TextView& view) {
  // Showing or hiding a bar resizes the client area, which comes back here through WM_SIZE.
  if (view.updatingBars) return;
  view.updatingBars = true;
  SCROLLINFO vertical{sizeof(SCROLLINFO),
                      SIF_RANGE | SIF_PAGE | SIF_POS,
                      0,
                      ClampToInt(view.lines.LineCount() - 1),
                      static_cast<UINT>(std::min<std::size_t>(VisibleRows(view), INT_MAX)),
                      ClampToInt(view.topLine),
                      0};
  SetScrollInfo(view.hwnd, SB_VERT, &vertical, TRUE);
  const RECT client = ClientRect(view);
  SCROLLINFO horizontal{sizeof(SCROLLINFO),
                        SIF_RANGE | SIF_PAGE | SIF_POS,
                        0,
                        std::max(0, view.textWidth + 2 * kTextMargin - 1),
                        static_cast<UINT>(std::max(0L, client.right)),
                        view.left,
                        0};
  SetScrollInfo(view.hwnd, SB_HORZ, &horizontal, TRUE);
  view.updatingBars = false;
}

void ScrollTo(TextView& view, std::size_t topLine, int left) {
  topLine = std::min(topLine, MaxTopLine(view));
  left = std::clamp(left, 0, MaxLeft(view));
  if (topLine == view.topLine && left == view.left) return;
  // Only the bar that moved is redrawn: under wine each redraw of a bar costs a frame paint.
  if (topLine != view.topLine) SetBarPosition(view.hwnd, SB_VERT, ClampToInt(topLine));
  if (left != view.left) SetBarPosition(view.hwnd, SB_HORZ, left);
  view.topLine = topLine;
  view.left = left;
  InvalidateRect(view.hwnd, nullptr, FALSE);
  PlaceCaret(view);
}

void Select(TextView& view, std::size_t anchor, std::size_t caret) {
  const std::size_t size = view.lines.Size();
  anchor = std::min(anchor, size);
  caret = std::min(caret, size);
  view.goalX = -1;
  if (anchor == view.anchor && caret == view.caret) return;
  // Only a selection that is or was shown needs painting; the caret is the system's.
  if (anchor != caret || view.anchor != view.caret) InvalidateRect(view.hwnd, nullptr, FALSE);
  view.anchor = anchor;
  view.caret = caret;
  PlaceCaret(view);
  NotifyWinEvent(EVENT_OBJECT_TEXTSELECTIONCHANGED, view.hwnd, OBJID_CLIENT, CHILDID_SELF);
  RaiseUiaSelectionChanged(view.hwnd);
}

void ScrollIntoView(TextView& view, std::size_t position) {
  position = std::min(position, view.lines.Size());
  const std::size_t line = view.lines.LineOf(position);
  const std::size_t rows = VisibleRows(view);
  std::size_t top = view.topLine;
  if (line < top) top = line;
  if (line >= top + rows) top = line - rows + 1;

  // Horizontally as an edit box: a cell out of sight is brought a quarter of the width in.
  const std::u16string_view shown = ShownPart(view.lines.Line(line));
  int x = 0;
  {
    const ViewDC dc(view);
    x = ColumnX(dc.Get(), shown, position - view.lines.LineStart(line));
  }
  const int width = std::max(1, static_cast<int>(ClientRect(view).right) - 2 * kTextMargin);
  int left = view.left;
  if (x < left) left = x - width / 4;
  if (x + view.charWidth > left + width) left = x + view.charWidth - width + width / 4;
  ScrollTo(view, top, left);
}

RECT CharacterRect(const TextView& view, std::size_t position) {
  position = std::min(position, view.lines.Size());
  const std::size_t line = view.lines.LineOf(position);
  const std::u16string_view shown = ShownPart(view.lines.Line(line));
  const std::size_t column = position - view.lines.LineStart(line);
  int from = 0;
  int to = 0;
  {
    const ViewDC dc(view);
    from = ColumnX(dc.Get(), shown, column);
    to = column < shown.size() ? ColumnX(dc.Get(), shown, column + 1) : from + view.charWidth;
  }
  const long long row = static_cast<long long>(line) - static_cast<long long>(view.topLine);
  const auto top = static_cast<LONG>(
      std::clamp<long long>(row * view.lineHeight, INT_MIN / 2, INT_MAX / 2 - view.lineHeight));
  const LONG x = kTextMargin - view.left;
  return RECT{x + from, top, x + to, top + view.lineHeight};
}

std::size_t PositionAt(const TextView& view, int x, int y) {
  const long long row = y < 0 ? -1 : y / view.lineHeight;
  const long long line = std::clamp<long long>(static_cast<long long>(view.topLine) + row, 0,
                                               static_cast<long long>(view.lines.LineCount()) - 1);
  return PositionInLine(view, static_cast<std::size_t>(line), x - kTextMargin + view.left);
}

std::size_t PositionInLine(const TextView& view, std::size_t line, int x) {
  const std::u16string_view shown = ShownPart(view.lines.Line(line));
  const std::size_t start = view.lines.LineStart(line);
  if (x <= 0 || shown.empty()) return start;
  const ViewDC dc(view);
  std::vector<int> ends(shown.size());
  SIZE size{};
  int fit = 0;
  if (!GetTextExtentExPointW(dc.Get(), reinterpret_cast<const wchar_t*>(shown.data()), Count(shown),
                             INT_MAX, &fit, ends.data(), &size)) {
    return start;
  }
  // The first character whose middle lies right of the point starts the position.
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const int begin = i == 0 ? 0 : ends[i - 1];
    if (x < (begin + ends[i]) / 2) return start + i;
  }
  return start + shown.size();
}

void RaiseTextChanged(const TextView& view) {
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, view.hwnd, OBJID_CLIENT, CHILDID_SELF);
  RaiseUiaTextChanged(view.hwnd);
}
