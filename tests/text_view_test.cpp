// The read-only text view as a real window: it gives back exactly the text it was given,
// copies exactly the selection, and scrolls over all lines of a long text.
#include "ui/win32/text_view/text_view.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/lines_text.h"
#include "ui/win32/wide_text.h"

namespace {

class TextViewTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterTextView(GetModuleHandleW(nullptr)));
    view_ = CreateWindowExW(0, kTextViewClass, L"", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                            0, 0, 240, 160, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(view_, nullptr);
    SendMessageW(view_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  }
  void TearDown() override {
    if (view_ != nullptr) DestroyWindow(view_);
  }

  std::wstring Text() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(view_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(view_, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  SCROLLINFO Scroll(int bar) const {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(view_, bar, &info);
    return info;
  }

  HWND view_ = nullptr;
};

bool PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* target = static_cast<wchar_t*>(GlobalLock(memory));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, target);
  GlobalUnlock(memory);
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return put;
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return L"<clipboard busy>";
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

TEST_F(TextViewTest, GivesBackExactlyTheTextItWasGiven) {
  const std::wstring texts[] = {
      L"",
      L"1\r\n10\r\n11\r\n",
      L"a\nb\rc\r\n\r\n",
      L"１０進数\r\n変換\r\n",
      Lines(300000, L"1011011101111011111") + L"no break at the end",
  };
  for (const std::wstring& text : texts) {
    ASSERT_TRUE(SetWindowTextW(view_, text.c_str()));
    EXPECT_EQ(GetWindowTextLengthW(view_), static_cast<int>(text.size()));
    EXPECT_TRUE(Text() == text) << text.size() << " characters";
  }
}

TEST_F(TextViewTest, TakesAndLendsItsTextOnlyWhenItIsAView) {
  std::u16string text = FromWide(Lines(1000, L"10"));
  const std::u16string expected = text;
  const char16_t* memory = text.data();
  ASSERT_TRUE(TakeTextViewText(view_, text));
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(Text() == ToWide(expected));
  const std::optional<std::u16string_view> lent = PeekTextViewText(view_);
  ASSERT_TRUE(lent.has_value());
  EXPECT_EQ(lent->data(), memory);  // the very memory it was given
  EXPECT_TRUE(*lent == expected);

  const HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  text = u"101";
  EXPECT_FALSE(TakeTextViewText(button, text));
  EXPECT_EQ(text, u"101");
  EXPECT_FALSE(TakeTextViewText(nullptr, text));
  EXPECT_FALSE(PeekTextViewText(button).has_value());
  EXPECT_FALSE(PeekTextViewText(nullptr).has_value());
  DestroyWindow(button);
}

TEST_F(TextViewTest, AShortBufferGetsTheStartOfTheTextAndItsEnd) {
  SetWindowTextW(view_, L"10101\r\n");
  wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(SendMessageW(view_, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
  EXPECT_EQ(std::wstring(buffer), L"101");
  EXPECT_EQ(SendMessageW(view_, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
}

TEST_F(TextViewTest, CopiesExactlyTheSelection) {
  const std::wstring text = L"110\r\n111\r\n1000\r\n";
  SetWindowTextW(view_, text.c_str());
  struct Case {
    WPARAM start;
    LPARAM end;
    std::wstring copied;
  };
  for (const Case& c : {Case{2, 7, text.substr(2, 5)}, Case{0, -1, text},
                        Case{7, 2, text.substr(2, 5)}, Case{5, 500, text.substr(5)}}) {
    ASSERT_TRUE(PutOnClipboard(view_, L"before"));
    SendMessageW(view_, EM_SETSEL, c.start, c.end);
    SendMessageW(view_, WM_COPY, 0, 0);
    EXPECT_EQ(ClipboardText(view_), c.copied) << c.start << ".." << c.end;
  }
  // Nothing selected: the clipboard keeps what it had.
  SendMessageW(view_, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  ASSERT_TRUE(PutOnClipboard(view_, L"kept"));
  SendMessageW(view_, WM_COPY, 0, 0);
  EXPECT_EQ(ClipboardText(view_), L"kept");
}

TEST_F(TextViewTest, ANewTextStartsUnselectedAtItsTop) {
  SetWindowTextW(view_, Lines(1000, L"1").c_str());
  SendMessageW(view_, EM_SETSEL, 0, -1);
  SendMessageW(view_, WM_VSCROLL, SB_BOTTOM, 0);
  ASSERT_GT(Scroll(SB_VERT).nPos, 0);
  SetWindowTextW(view_, Lines(10, L"0").c_str());
  DWORD start = 99;
  DWORD end = 99;
  SendMessageW(view_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  EXPECT_EQ(Scroll(SB_VERT).nPos, 0);
}

TEST_F(TextViewTest, ScrollsOverEveryLineAndTheWidestLine) {
  SetWindowTextW(view_, Lines(1000, L"1").c_str());  // 1000 lines and an empty last one
  SCROLLINFO vertical = Scroll(SB_VERT);
  EXPECT_EQ(vertical.nMax, 1000);
  ASSERT_GT(vertical.nPage, 0u);
  SendMessageW(view_, WM_VSCROLL, SB_BOTTOM, 0);
  vertical = Scroll(SB_VERT);
  EXPECT_EQ(vertical.nPos + static_cast<int>(vertical.nPage), 1001);
  SendMessageW(view_, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Scroll(SB_VERT).nPos, vertical.nPos);  // not past the last line
  SendMessageW(view_, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Scroll(SB_VERT).nPos, 0);

  RECT client;
  GetClientRect(view_, &client);
  SetWindowTextW(view_, (L"1\r\n" + std::wstring(400, L'0')).c_str());
  EXPECT_GT(Scroll(SB_HORZ).nMax, client.right);
  SendMessageW(view_, WM_HSCROLL, SB_RIGHT, 0);
  const SCROLLINFO horizontal = Scroll(SB_HORZ);
  EXPECT_GT(horizontal.nPos, 0);
  EXPECT_EQ(horizontal.nPos + static_cast<int>(horizontal.nPage), horizontal.nMax + 1);
}

// A key as the view gets it, with Shift and Ctrl held as asked.
struct Key {
  WPARAM key;
  bool shift = false;
  bool control = false;
};

void Press(HWND view, const Key& key) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = key.shift ? 0x80 : 0;
  state[VK_CONTROL] = key.control ? 0x80 : 0;
  SetKeyboardState(state);
  SendMessageW(view, WM_KEYDOWN, key.key, 0);
  state[VK_SHIFT] = state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

std::pair<DWORD, DWORD> Selection(HWND view) {
  DWORD start = 99;
  DWORD end = 99;
  SendMessageW(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

TEST_F(TextViewTest, KeysMoveTheCaretAndShiftSelectsAsInAnEditBox) {
  // Positions: line 0 at 0, line 1 at 6, line 2 ("01") at 12, line 3 ("0123 ab") at 16 to 23.
  SetWindowTextW(view_, L"0123\r\n0123\r\n01\r\n0123 ab");
  const Key down{VK_DOWN};
  struct Case {
    DWORD anchor;
    DWORD caret;
    std::vector<Key> keys;
    std::pair<DWORD, DWORD> selection;  // as EM_GETSEL gives it: the smaller first
  };
  const Case cases[] = {
      {3, 3, {down}, {9, 9}},
      {3, 3, {down, down, down}, {19, 19}},  // the column is kept past a shorter line
      {9, 9, {{VK_UP}}, {3, 3}},
      {3, 3, {{VK_UP}}, {3, 3}},
      {22, 22, {down}, {22, 22}},
      {2, 2, {{VK_DOWN, true}}, {2, 8}},
      {8, 8, {{VK_UP, true}}, {2, 8}},
      {8, 8, {{VK_HOME}}, {6, 6}},
      {8, 8, {{VK_END}}, {10, 10}},
      {8, 8, {{VK_HOME, false, true}}, {0, 0}},
      {8, 8, {{VK_END, true, true}}, {8, 23}},
      {4, 4, {{VK_RIGHT}}, {6, 6}},  // over a CR LF at once
      {6, 6, {{VK_LEFT}}, {4, 4}},
      {0, 4, {{VK_RIGHT}}, {6, 6}},  // from the caret, the selection dropped
      {16, 16, {{VK_RIGHT, false, true}}, {21, 21}},
      {16, 16, {{VK_RIGHT, true, true}, {VK_RIGHT, true, true}}, {16, 23}},
      {23, 23, {{VK_LEFT, false, true}}, {21, 21}},
      {3, 3, {{VK_NEXT}}, {19, 19}},  // a page is more than the text here
      {19, 19, {{VK_PRIOR, true}}, {3, 19}},
      {8, 8, {{'A', false, true}}, {0, 23}},
  };
  for (const Case& c : cases) {
    SendMessageW(view_, EM_SETSEL, c.anchor, static_cast<LPARAM>(c.caret));
    for (const Key& key : c.keys) Press(view_, key);
    EXPECT_EQ(Selection(view_), c.selection) << "from " << c.anchor << ".." << c.caret;
  }
}

TEST_F(TextViewTest, TheSelectionComesBackPackedOnlyBelow65536AsFromAnEditBox) {
  SetWindowTextW(view_, std::wstring(70000, L'1').c_str());
  SendMessageW(view_, EM_SETSEL, 1, 2);
  EXPECT_EQ(SendMessageW(view_, EM_GETSEL, 0, 0), MAKELRESULT(1, 2));
  SendMessageW(view_, EM_SETSEL, 0, -1);
  EXPECT_EQ(SendMessageW(view_, EM_GETSEL, 0, 0), -1);
  EXPECT_EQ(Selection(view_), std::make_pair(DWORD{0}, DWORD{70000}));
}

TEST_F(TextViewTest, ADoubleClickSelectsAWord) {
  SetWindowTextW(view_, L"0123 ab\r\n");
  SendMessageW(view_, WM_LBUTTONDBLCLK, 0, MAKELPARAM(4, 4));
  EXPECT_EQ(Selection(view_), std::make_pair(DWORD{0}, DWORD{5}));
  SendMessageW(view_, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 4));  // past the line's end
  EXPECT_EQ(Selection(view_), std::make_pair(DWORD{5}, DWORD{7}));
}

}  // namespace
