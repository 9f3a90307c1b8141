#include "ui/win32/text_view/text_view.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "tuning/tuning.h"
#include "ui/messages.h"
#include "ui/win32/text_view/accessibility.h"
#include "ui/win32/text_view/caret.h"
#include "ui/win32/text_view/view_state.h"

namespace {

constexpr UINT kCommandCopy = 1;
constexpr UINT kCommandSelectAll = 2;

TextView* ViewOf(HWND hwnd) { return reinterpret_cast<TextView*>(GetWindowLongPtrW(hwnd, 0)); }

void MeasureText(TextView& view) {
  const ViewDC dc(view);
  TEXTMETRICW metrics;
  if (GetTextMetricsW(dc.Get(), &metrics)) {
    view.lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));
    view.charWidth = std::max(1, static_cast<int>(metrics.tmAveCharWidth));
  }
  int widest = 0;
  for (const std::size_t line : view.lines.LongestLines(tuning::kMeasuredLines)) {
    widest = std::max(widest, TextWidth(dc.Get(), ShownPart(view.lines.Line(line))));
  }
  // Lines not measured may be a little wider than the measured ones of the same length.
  view.textWidth = widest > 0 ? widest + view.charWidth : 0;
}

void ScrollLines(TextView& view, long long lines) {
  const long long target = static_cast<long long>(view.topLine) + lines;
  ScrollTo(view, target < 0 ? 0 : static_cast<std::size_t>(target), view.left);
}

// The `length` characters of `lines` from `begin`, with a terminating zero, in movable global
// memory; nullptr when that fails.
HGLOBAL CopyToGlobalMemory(const TextLines& lines, std::size_t begin, std::size_t length) {
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (length + 1) * sizeof(wchar_t));
  if (memory == nullptr) return nullptr;
  auto* target = static_cast<wchar_t*>(GlobalLock(memory));
  if (target == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  lines.CopyChars(begin, length, reinterpret_cast<char16_t*>(target));
  target[length] = L'\0';
  GlobalUnlock(memory);
  return memory;
}

void CopySelection(const TextView& view) {
  const std::size_t begin = SelectionBegin(view);
  const std::size_t length = SelectionEnd(view) - begin;
  if (length == 0 || !OpenClipboard(view.hwnd)) return;
  EmptyClipboard();
  if (const HGLOBAL memory = CopyToGlobalMemory(view.lines, begin, length)) {
    // The clipboard owns the memory once it took it, and only then.
    // cppcheck-suppress doubleFree ; freed only when SetClipboardData did not take it
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

void SelectAll(TextView& view) { Select(view, 0, view.lines.Size()); }

// Draws `text` at (x, y), the part from `selBegin` to `selEnd` in the selection's colours.
void DrawLine(HDC dc, int x, int y, std::u16string_view text, std::size_t selBegin,
              std::size_t selEnd) {
  ExtTextOutW(dc, x, y, 0, nullptr, reinterpret_cast<const wchar_t*>(text.data()),
              static_cast<UINT>(text.size()), nullptr);
  if (selBegin >= selEnd) return;
  const std::u16string_view selected = text.substr(selBegin, selEnd - selBegin);
  const int from = x + TextWidth(dc, text.substr(0, selBegin));
  const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
  const int oldMode = SetBkMode(dc, OPAQUE);
  ExtTextOutW(dc, from, y, 0, nullptr, reinterpret_cast<const wchar_t*>(selected.data()),
              static_cast<UINT>(selected.size()), nullptr);
  SetBkMode(dc, oldMode);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
}

void PaintLines(const TextView& view, HDC dc, const RECT& client) {
  // As a read-only edit box: the system's colours, which follow a high-contrast scheme, unless
  // the dialog gives its own through WM_CTLCOLORSTATIC.
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_3DFACE));
  auto* brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(view.hwnd), WM_CTLCOLORSTATIC,
                                                      reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(view.hwnd)));
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_3DFACE);
  FillRect(dc, &client, brush);
  if (!IsWindowEnabled(view.hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  if (view.font != nullptr) SelectObject(dc, view.font);

  const bool showSelection = GetFocus() == view.hwnd;
  const std::size_t selBegin = SelectionBegin(view);
  const std::size_t selEnd = SelectionEnd(view);
  const std::size_t rows = VisibleRows(view) + 1;
  for (std::size_t row = 0; row < rows; ++row) {
    const std::size_t line = view.topLine + row;
    if (line >= view.lines.LineCount()) break;
    const std::u16string_view text = ShownPart(view.lines.Line(line));
    const std::size_t start = view.lines.LineStart(line);
    std::size_t from = 0;
    std::size_t to = 0;
    if (showSelection && selBegin < start + text.size() && selEnd > start) {
      from = selBegin > start ? selBegin - start : 0;
      to = std::min(selEnd - start, text.size());
    }
    DrawLine(dc, kTextMargin - view.left, static_cast<int>(row) * view.lineHeight, text, from, to);
  }
}

void Paint(const TextView& view) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(view.hwnd, &paint);
  const RECT client = ClientRect(view);
  // Drawn off screen first, so that scrolling does not flicker.
  const HDC memory = CreateCompatibleDC(dc);
  const HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
  if (memory != nullptr && bitmap != nullptr) {
    const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    const HGDIOBJ oldFont = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
    PaintLines(view, memory, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
  } else {
    PaintLines(view, dc, client);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  EndPaint(view.hwnd, &paint);
}

void OnVScroll(TextView& view, int code) {
  const auto rows = static_cast<long long>(VisibleRows(view));
  switch (code) {
    case SB_LINEUP:
      ScrollLines(view, -1);
      break;
    case SB_LINEDOWN:
      ScrollLines(view, 1);
      break;
    case SB_PAGEUP:
      ScrollLines(view, -rows);
      break;
    case SB_PAGEDOWN:
      ScrollLines(view, rows);
      break;
    case SB_TOP:
      ScrollTo(view, 0, view.left);
      break;
    case SB_BOTTOM:
      ScrollTo(view, MaxTopLine(view), view.left);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The 32-bit track position; the message's own is only 16 bits.
      SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(view.hwnd, SB_VERT, &info);
      ScrollTo(view, static_cast<std::size_t>(std::max(0, info.nTrackPos)), view.left);
      break;
    }
    default:
      break;
  }
}

void OnHScroll(TextView& view, int code) {
  const int page = static_cast<int>(ClientRect(view).right);
  switch (code) {
    case SB_LINELEFT:
      ScrollTo(view, view.topLine, view.left - view.charWidth);
      break;
    case SB_LINERIGHT:
      ScrollTo(view, view.topLine, view.left + view.charWidth);
      break;
    case SB_PAGELEFT:
      ScrollTo(view, view.topLine, view.left - page);
      break;
    case SB_PAGERIGHT:
      ScrollTo(view, view.topLine, view.left + page);
      break;
    case SB_LEFT:
      ScrollTo(view, view.topLine, 0);
      break;
    case SB_RIGHT:
      ScrollTo(view, view.topLine, MaxLeft(view));
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(view.hwnd, SB_HORZ, &info);
      ScrollTo(view, view.topLine, info.nTrackPos);
      break;
    }
    default:
      break;
  }
}

void OnKeyDown(TextView& view, WPARAM key) {
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (MoveCaretByKey(view, static_cast<unsigned>(key), GetKeyState(VK_SHIFT) < 0, control)) return;
  if (control && key == 'A') SelectAll(view);
  if (control && (key == 'C' || key == VK_INSERT)) CopySelection(view);
}

void OnMouseWheel(TextView& view, int delta) {
  UINT linesPerNotch = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
  view.wheelRest += delta;
  const int notches = view.wheelRest / WHEEL_DELTA;
  view.wheelRest -= notches * WHEEL_DELTA;
  if (notches == 0) return;
  const long long lines = linesPerNotch == WHEEL_PAGESCROLL
                              ? static_cast<long long>(VisibleRows(view))
                              : static_cast<long long>(linesPerNotch);
  ScrollLines(view, -notches * lines);
}

void OnContextMenu(TextView& view, LPARAM position) {
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (position == -1) {  // from the keyboard: below the caret, kept inside the view
    const RECT cell = CharacterRect(view, view.caret);
    const RECT client = ClientRect(view);
    at = POINT{std::clamp(cell.left, 0L, client.right), std::clamp(cell.bottom, 0L, client.bottom)};
    ClientToScreen(view.hwnd, &at);
  }
  SetFocus(view.hwnd);
  const HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  const UINT copyState = SelectionBegin(view) < SelectionEnd(view) ? MF_ENABLED : MF_GRAYED;
  AppendMenuW(menu, MF_STRING | copyState, kCommandCopy,
              reinterpret_cast<const wchar_t*>(msg::kCopyMenuItem));
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCommandSelectAll,
              reinterpret_cast<const wchar_t*>(msg::kSelectAllMenuItem));
  const auto command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, view.hwnd, nullptr));
  DestroyMenu(menu);
  if (command == kCommandCopy) CopySelection(view);
  if (command == kCommandSelectAll) SelectAll(view);
}

void OnMouseMove(TextView& view, int x, int y) {
  if (!view.selecting) return;
  // Dragging above or below the view scrolls it.
  if (y < 0) ScrollLines(view, -1);
  if (y >= ClientRect(view).bottom) ScrollLines(view, 1);
  Select(view, view.anchor, PositionAt(view, x, y));
}

void OnButtonDown(TextView& view, int x, int y, bool extend) {
  SetFocus(view.hwnd);
  const std::size_t position = PositionAt(view, x, y);
  Select(view, extend ? view.anchor : position, position);
  view.selecting = true;
  SetCapture(view.hwnd);
}

// Takes the new text (a string to move in or one to share), scrolled to its start with nothing
// selected; false, the view and `text` kept, when memory runs out.
template <class Text>
bool ShowNewText(TextView& view, Text&& text) {
  try {
    view.lines.Assign(std::forward<Text>(text));
  } catch (const std::bad_alloc&) {
    return false;
  }
  view.topLine = 0;
  view.left = 0;
  Select(view, 0, 0);
  MeasureText(view);
  UpdateScrollBars(view);
  InvalidateRect(view.hwnd, nullptr, FALSE);
  PlaceCaret(view);
  RaiseTextChanged(view);
  return true;
}

LRESULT OnSetText(TextView& view, const wchar_t* text) {
  try {
    // Converted unit by unit: the 16-bit units are the same, the types are not.
    std::u16string copy =
        text != nullptr ? std::u16string(text, text + std::wcslen(text)) : std::u16string();
    return ShowNewText(view, std::move(copy)) ? TRUE : FALSE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

// WM_GETTEXT: copies as much of the text as fits with its terminating zero.
LRESULT OnGetText(const TextView& view, WPARAM capacity, wchar_t* buffer) {
  if (buffer == nullptr || capacity == 0) return 0;
  const std::size_t count = std::min<std::size_t>(view.lines.Size(), capacity - 1);
  view.lines.CopyChars(0, count, reinterpret_cast<char16_t*>(buffer));
  buffer[count] = L'\0';
  return static_cast<LRESULT>(count);
}

LRESULT OnSetSelection(TextView& view, WPARAM start, LPARAM end) {
  const std::size_t size = view.lines.Size();
  // As an edit box: a start of -1 removes the selection, an end of -1 means the end.
  if (static_cast<int>(start) == -1) {
    Select(view, view.caret, view.caret);
  } else {
    const std::size_t last = end == -1 ? size : static_cast<std::size_t>(end);
    Select(view, static_cast<std::size_t>(start), last);
  }
  return 0;
}

// EM_GETSEL: both ends through the pointers given; returned packed, as an edit box does, or -1
// when either end is past 65,535.
LRESULT OnGetSelection(const TextView& view, WPARAM start, LPARAM end) {
  const auto begin = static_cast<DWORD>(std::min<std::size_t>(SelectionBegin(view), UINT_MAX));
  const auto finish = static_cast<DWORD>(std::min<std::size_t>(SelectionEnd(view), UINT_MAX));
  if (start != 0) *reinterpret_cast<DWORD*>(start) = begin;
  if (end != 0) *reinterpret_cast<DWORD*>(end) = finish;
  if (finish > 0xFFFF) return -1;
  return MAKELRESULT(begin, finish);
}

LRESULT OnSetFont(TextView& view, HFONT font, bool redraw) {
  view.font = font;
  MeasureText(view);
  UpdateScrollBars(view);
  if (GetFocus() == view.hwnd) ShowViewCaret(view);  // as high as the new lines
  if (redraw) InvalidateRect(view.hwnd, nullptr, FALSE);
  return 0;
}

LRESULT CALLBACK TextViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = new (std::nothrow) TextView;
    if (created == nullptr) return FALSE;
    created->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(created));
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  TextView* view = ViewOf(hwnd);
  if (view == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_DESTROY:
      ReleaseUiaProvider(hwnd);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, 0, 0);
      delete view;
      return 0;
    case WM_SETTEXT:
      return OnSetText(*view, reinterpret_cast<const wchar_t*>(lParam));
    case WM_GETTEXT:
      return OnGetText(*view, wParam, reinterpret_cast<wchar_t*>(lParam));
    case WM_GETOBJECT:
      return OnGetObject(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(std::min<std::size_t>(view->lines.Size(), INT_MAX));
    case WM_SETFONT:
      return OnSetFont(*view, reinterpret_cast<HFONT>(wParam), LOWORD(lParam));
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(view->font);
    case WM_SIZE:
      UpdateScrollBars(*view);
      ScrollTo(*view, view->topLine, view->left);
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT:
      Paint(*view);
      return 0;
    case WM_VSCROLL:
      OnVScroll(*view, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnHScroll(*view, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(*view, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(*view, wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
      OnButtonDown(*view, x, y, (wParam & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONDBLCLK:
      SelectWordAt(*view, PositionAt(*view, x, y));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(*view, x, y);
      return 0;
    case WM_LBUTTONUP:
      if (view->selecting) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      view->selecting = false;
      return 0;
    case WM_CONTEXTMENU:
      OnContextMenu(*view, lParam);
      return 0;
    case WM_COPY:
      CopySelection(*view);
      return 0;
    case EM_SETSEL:
      return OnSetSelection(*view, wParam, lParam);
    case EM_GETSEL:
      return OnGetSelection(*view, wParam, lParam);
    case EM_SCROLLCARET:
      ScrollIntoView(*view, view->caret);
      return 0;
    case WM_SETFOCUS:
      ShowViewCaret(*view);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_KILLFOCUS:
      HideViewCaret();
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

TextView* TextViewOf(HWND window) {
  if (window == nullptr ||
      GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(TextViewProc)) {
    return nullptr;
  }
  return ViewOf(window);
}

bool TakeTextViewText(HWND window, std::u16string& text) {
  TextView* view = TextViewOf(window);
  if (view == nullptr) return false;
  if (!ShowNewText(*view, std::move(text))) throw std::bad_alloc();
  return true;
}

bool ShareTextViewText(HWND window, const SharedText& text) {
  TextView* view = TextViewOf(window);
  if (view == nullptr) return false;
  if (!ShowNewText(*view, text)) throw std::bad_alloc();
  return true;
}

bool ShowDecimalLinesInTextView(HWND window, const std::shared_ptr<const DecimalLinesText>& lines) {
  TextView* view = TextViewOf(window);
  if (view == nullptr) return false;
  if (!ShowNewText(*view, lines)) throw std::bad_alloc();
  return true;
}

std::optional<std::u16string_view> PeekTextViewText(HWND window) {
  const TextView* view = TextViewOf(window);
  if (view == nullptr) return std::nullopt;
  return view->lines.Text();
}

bool RegisterTextView(HINSTANCE instance) {
  WNDCLASSEXW viewClass{};
  if (GetClassInfoExW(instance, kTextViewClass, &viewClass)) return true;
  viewClass.cbSize = sizeof viewClass;
  viewClass.style = CS_DBLCLKS;
  viewClass.lpfnWndProc = TextViewProc;
  viewClass.cbWndExtra = sizeof(LONG_PTR);  // the view's state
  viewClass.hInstance = instance;
  viewClass.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  viewClass.lpszClassName = kTextViewClass;
  return RegisterClassExW(&viewClass) != 0;
}
