#pragma once
// The state of one text view window and the operations on it that more than the window's own
// message handling needs: selecting, scrolling a position into sight, where a character is.

#include <cstddef>
#include <string_view>

#include "ui/win32/text_view/text_lines.h"
#include "ui/win32/windows_api.h"

// Left and right margins between the border and the text, in pixels.
inline constexpr int kTextMargin = 2;

struct TextView {
  HWND hwnd = nullptr;
  TextLines lines;
  HFONT font = nullptr;
  int lineHeight = 16;
  int charWidth = 8;
  int textWidth = 0;  // the widest line in pixels
  std::size_t topLine = 0;
  int left = 0;  // horizontal scroll offset in pixels
  std::size_t anchor = 0;
  std::size_t caret = 0;
  int goalX = -1;  // the x that Up and Down keep, in pixels from the text's left edge; -1: none
  bool selecting = false;  // a mouse drag is under way
  int wheelRest = 0;
  bool updatingBars = false;
};

// A device context of a view with its font selected; released on destruction.
class ViewDC {
 public:
  explicit ViewDC(const TextView& view);
  ~ViewDC();
  ViewDC(const ViewDC&) = delete;
  ViewDC& operator=(const ViewDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
  HGDIOBJ oldFont_;
};

// The width of `text` in pixels in the font selected into `dc`; 0 when it cannot be measured.
int TextWidth(HDC dc, std::u16string_view text);

// The state of `window` when it is a text view of this program; nullptr for other windows.
TextView* TextViewOf(HWND window);

// The part of `line` that is measured and drawn: its first tuning::kMaxShownChars characters.
std::u16string_view ShownPart(std::u16string_view line);
// The view's client rectangle.
RECT ClientRect(const TextView& view);
// How many whole lines the client area shows (at least 1).
std::size_t VisibleRows(const TextView& view);
// The topmost line that still fills the view, as scrolling to the end shows it.
std::size_t MaxTopLine(const TextView& view);
// The largest horizontal scroll offset in pixels.
int MaxLeft(const TextView& view);
// The first and one past the last selected position.
std::size_t SelectionBegin(const TextView& view);
std::size_t SelectionEnd(const TextView& view);

// Sets the scroll bars' ranges and positions from the view's state.
void UpdateScrollBars(TextView& view);
// Scrolls to `topLine` and `left` (clamped to their ranges) and repaints what changed.
void ScrollTo(TextView& view, std::size_t topLine, int left);
// Selects from `anchor` to `caret` (both clamped to the text), moves the caret there, repaints
// and tells accessibility clients when the selection changed. Forgets the x Up and Down keep.
void Select(TextView& view, std::size_t anchor, std::size_t caret);
// Scrolls the least that brings `position` (clamped to the text) into sight.
void ScrollIntoView(TextView& view, std::size_t position);
// The client rectangle of the character cell at `position` (clamped to the text), measured on
// the shown part of its line; a position past a line's shown characters gets an average
// character's width at that line's shown end. Lines out of sight give rows above or below.
RECT CharacterRect(const TextView& view, std::size_t position);
// The text position nearest to the client point (x, y).
std::size_t PositionAt(const TextView& view, int x, int y);
// The position of `line` nearest to `x`, in pixels from the text's left edge (unscrolled).
std::size_t PositionInLine(const TextView& view, std::size_t line, int x);
// Tells accessibility clients that the view's text changed.
void RaiseTextChanged(const TextView& view);
