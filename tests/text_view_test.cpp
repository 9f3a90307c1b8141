// The read-only text view as a real window: it gives back exactly the text it was given,
// copies exactly the selection, and scrolls over all lines of a long text. The window services
// read a view's text in place and hand texts over to it without a copy.
#include "ui/win32/text_view.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_window_services.h"

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

std::wstring Lines(int count, const std::wstring& line) {
  std::wstring text;
  for (int i = 0; i < count; ++i) text += line + L"\r\n";
  return text;
}

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

// The window services on a window with two text views, an edit box and a static text, as the
// dialog has them.
constexpr int kEditId = 1;
constexpr int kStaticId = 2;

class WindowServicesTest : public testing::Test {
 protected:
  void SetUp() override {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(RegisterTextView(instance));
    dialog_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                              instance, nullptr);
    ASSERT_NE(dialog_, nullptr);
    struct Control {
      const wchar_t* className;
      int id;
      DWORD style;
    };
    for (const Control& c :
         {Control{kTextViewClass, IDC_EDIT_FILE_TEXT, 0},
          Control{kTextViewClass, IDC_EDIT_RESULT, 0}, Control{L"EDIT", kEditId, ES_MULTILINE},
          Control{L"STATIC", kStaticId, 0}}) {
      ASSERT_NE(
          CreateWindowExW(0, c.className, L"", WS_CHILD | c.style, 0, 0, 100, 50, dialog_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr),
          nullptr)
          << c.id;
    }
    services_.Attach(dialog_);
  }
  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
  }

  std::u16string WindowText(int id) const {
    const HWND control = GetDlgItem(dialog_, id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return FromWide(text);
  }

  HWND dialog_ = nullptr;
  Win32WindowServices services_{GetModuleHandleW(nullptr)};
};

struct ControlText {
  int id;
  std::u16string text;
  bool keptByTheView;  // read in place and taken without a copy
};

std::vector<ControlText> ControlTexts() {
  const std::u16string longText = FromWide(Lines(300000, L"1011011101111011111"));
  return {
      {IDC_EDIT_FILE_TEXT, u"", true},
      {IDC_EDIT_FILE_TEXT, u"1\r\n10\r\n11", true},
      {IDC_EDIT_FILE_TEXT, longText, true},
      {IDC_EDIT_RESULT, u"１０進数\r\n変換\r\n", true},
      {IDC_EDIT_RESULT, longText + u"no break at the end", true},
      {kEditId, u"", false},
      {kEditId, u"101\r\n１０", false},
      {kStaticId, u"変換 11", false},
  };
}

TEST_F(WindowServicesTest, PeekTextReadsATextViewInPlaceAndOtherControlsFromACopy) {
  for (const ControlText& c : ControlTexts()) {
    const HWND control = GetDlgItem(dialog_, c.id);
    ASSERT_TRUE(SetWindowTextW(control, ToWide(c.text).c_str())) << c.id;
    const std::u16string_view first = services_.PeekText(c.id);
    EXPECT_TRUE(first == c.text) << c.id << ": " << c.text.size() << " characters";
    if (!c.keptByTheView) continue;
    EXPECT_EQ(services_.PeekText(c.id).data(), first.data()) << c.id;
    EXPECT_EQ(first.data(), PeekTextViewText(control)->data()) << c.id;
  }
}

TEST_F(WindowServicesTest, TakeTextHandsTheTextOverAndSetTextCopiesIt) {
  for (const ControlText& c : ControlTexts()) {
    std::u16string text = c.text;
    const char16_t* memory = text.data();
    services_.TakeText(c.id, std::move(text));
    EXPECT_TRUE(WindowText(c.id) == c.text) << c.id << ": " << c.text.size() << " characters";
    if (c.keptByTheView) {
      EXPECT_TRUE(text.empty()) << c.id;  // NOLINT(bugprone-use-after-move): left empty
      // A long text keeps its memory; a short one lives inside the string object itself.
      if (c.text.size() > 100) {
        EXPECT_EQ(services_.PeekText(c.id).data(), memory) << c.id;
      }
    }

    services_.SetText(c.id, u"x");
    services_.SetText(c.id, c.text);
    EXPECT_TRUE(WindowText(c.id) == c.text) << c.id << ": " << c.text.size() << " characters";
  }
}

// The controls of a shown window: a button, edit boxes, a progress bar and a text view.
class ControlChangeTest : public testing::Test {
 protected:
  static constexpr int kButtonId = 3;
  static constexpr int kBarId = 4;
  static constexpr int kReadOnlyId = 5;
  static constexpr int kCheckId = 6;

  void SetUp() override {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(RegisterTextView(instance));
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, instance, nullptr);
    ASSERT_NE(window_, nullptr);
    struct Control {
      const wchar_t* className;
      int id;
      int top;
      DWORD style;
    };
    for (const Control& c :
         {Control{L"BUTTON", kButtonId, 0, 0}, Control{L"EDIT", kEditId, 40, 0},
          Control{PROGRESS_CLASSW, kBarId, 80, 0}, Control{kTextViewClass, IDC_EDIT_RESULT, 120, 0},
          Control{L"EDIT", kReadOnlyId, 160, ES_READONLY},
          Control{L"BUTTON", kCheckId, 200, BS_AUTOCHECKBOX}}) {
      ASSERT_NE(
          CreateWindowExW(0, c.className, L"1", WS_CHILD | WS_VISIBLE | c.style, 0, c.top, 200, 30,
                          window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                          nullptr),
          nullptr)
          << c.id;
    }
    services_.Attach(window_);
    Paint();
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }

  // Paints everything that waits for it.
  void Paint() const { RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  std::u16string TextOf(int id) const {
    wchar_t text[64] = {};
    GetWindowTextW(Control(id), text, 64);
    return FromWide(text);
  }
  static bool WaitsForPaint(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

  HWND window_ = nullptr;
  Win32WindowServices services_{GetModuleHandleW(nullptr)};
};

TEST_F(ControlChangeTest, ChangesTakeEffectWhenAppliedAndArePaintedWithTheWindow) {
  for (const int id : {kButtonId, kEditId, kBarId, IDC_EDIT_RESULT}) {
    const HWND control = Control(id);
    // A progress bar looks the same enabled and disabled.
    const bool looksDisabled = id != kBarId;
    services_.EnableControl(id, false);
    EXPECT_TRUE(IsWindowEnabled(control)) << id;  // held until applied
    services_.ApplyHeldChanges();
    EXPECT_FALSE(IsWindowEnabled(control)) << id;
    EXPECT_TRUE(IsWindowVisible(control)) << id;  // still shown while it waits for its paint
    EXPECT_EQ(WaitsForPaint(control), looksDisabled) << id;
    Paint();
    services_.EnableControl(id, true);
    services_.ApplyHeldChanges();
    EXPECT_TRUE(IsWindowEnabled(control)) << id;
    EXPECT_EQ(WaitsForPaint(control), looksDisabled) << id;
    Paint();

    SetFocus(control);
    EXPECT_TRUE(services_.ShowControl(id, false)) << id;  // it was shown
    EXPECT_TRUE(IsWindowVisible(control)) << id;
    services_.ApplyHeldChanges();
    EXPECT_NE(GetFocus(), control) << id;
    EXPECT_FALSE(IsWindowVisible(control)) << id;
    EXPECT_TRUE(WaitsForPaint(window_)) << id;  // where it was
    EXPECT_FALSE(services_.ShowControl(id, false)) << id;
    Paint();
    EXPECT_FALSE(services_.ShowControl(id, true)) << id;
    services_.ApplyHeldChanges();
    EXPECT_TRUE(IsWindowVisible(control)) << id;
    EXPECT_TRUE(WaitsForPaint(control)) << id;
    Paint();
  }
  services_.SetProgressRange(kBarId, 100);
  Paint();
  services_.SetProgressPos(kBarId, 40);
  EXPECT_EQ(SendMessageW(Control(kBarId), PBM_GETPOS, 0, 0), 0);
  services_.ApplyHeldChanges();
  EXPECT_EQ(SendMessageW(Control(kBarId), PBM_GETPOS, 0, 0), 40);
  EXPECT_TRUE(WaitsForPaint(Control(kBarId)));
}

TEST_F(ControlChangeTest, ChangesUndoneBeforeTheyApplyTouchNothing) {
  services_.SetProgressRange(kBarId, 100);
  Paint();
  for (const int id : {kButtonId, kEditId, kBarId, kReadOnlyId}) {
    services_.EnableControl(id, false);
    EXPECT_TRUE(services_.ShowControl(id, false)) << id;
    EXPECT_FALSE(services_.ShowControl(id, true)) << id;  // counts the held change
    services_.EnableControl(id, true);
  }
  services_.SetText(kReadOnlyId, u"");
  services_.SetText(kReadOnlyId, u"1");
  services_.SetProgressPos(kBarId, 40);
  services_.SetProgressPos(kBarId, 0);
  services_.ApplyHeldChanges();
  for (const int id : {kButtonId, kEditId, kBarId, kReadOnlyId}) {
    EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
    EXPECT_TRUE(IsWindowVisible(Control(id))) << id;
    EXPECT_FALSE(WaitsForPaint(Control(id))) << id;
  }
  EXPECT_FALSE(WaitsForPaint(window_));
}

TEST_F(ControlChangeTest, ReadOnlyTextsAreHeldUntilThePumpAndOthersSetAtOnce) {
  services_.SetText(kReadOnlyId, u"進捗率　5 %");
  services_.SetText(kEditId, u"101");
  EXPECT_TRUE(services_.GetText(kReadOnlyId) == u"進捗率　5 %");
  EXPECT_TRUE(TextOf(kReadOnlyId) == u"1");
  EXPECT_TRUE(TextOf(kEditId) == u"101");
  services_.TakeText(kReadOnlyId, u"進捗率　6 %");
  EXPECT_TRUE(services_.GetText(kReadOnlyId) == u"進捗率　6 %");
  EXPECT_TRUE(services_.PumpMessages());
  EXPECT_TRUE(TextOf(kReadOnlyId) == u"進捗率　6 %");
  EXPECT_TRUE(services_.GetText(kReadOnlyId) == u"進捗率　6 %");
}

TEST_F(ControlChangeTest, CheckMarksAreHeldAndAnsweredAsSet) {
  const HWND box = Control(kCheckId);
  services_.SetCheck(kCheckId, 1);
  EXPECT_EQ(services_.GetCheck(kCheckId), 1);
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // held until applied
  services_.ApplyHeldChanges();
  EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(WaitsForPaint(box));  // painted with the window
  Paint();
  services_.SetCheck(kCheckId, 0);
  services_.SetCheck(kCheckId, 1);
  services_.ApplyHeldChanges();
  EXPECT_FALSE(WaitsForPaint(box));  // undone before it applied: untouched
  EXPECT_EQ(services_.GetCheck(kCheckId), 1);
}

TEST_F(ControlChangeTest, ANewProgressRangeFollowsThePositionHeldBeforeIt) {
  services_.SetProgressRange(kBarId, 100);
  services_.SetProgressPos(kBarId, 40);
  services_.SetProgressRange(kBarId, 200);
  EXPECT_EQ(SendMessageW(Control(kBarId), PBM_GETPOS, 0, 0), 40);
  services_.SetProgressPos(kBarId, 150);
  services_.ApplyHeldChanges();
  EXPECT_EQ(SendMessageW(Control(kBarId), PBM_GETPOS, 0, 0), 150);
}

TEST_F(ControlChangeTest, WhileBusyThePumpPaintsAFewTimesASecond) {
  const HWND button = Control(kButtonId);
  InvalidateRect(button, nullptr, TRUE);
  EXPECT_TRUE(services_.PumpMessages());
  EXPECT_FALSE(WaitsForPaint(button));  // an idle pump paints

  services_.BeginWaitCursor();
  InvalidateRect(button, nullptr, TRUE);
  EXPECT_TRUE(services_.PumpMessages());
  EXPECT_TRUE(WaitsForPaint(button));  // right after the start of the work: not yet
  Sleep(150);
  EXPECT_TRUE(services_.PumpMessages());
  EXPECT_FALSE(WaitsForPaint(button));
  InvalidateRect(button, nullptr, TRUE);
  EXPECT_TRUE(services_.PumpMessages());
  EXPECT_TRUE(WaitsForPaint(button));  // just painted: the next paint waits its turn
  services_.EndWaitCursor();
  EXPECT_TRUE(services_.PumpMessages());
  EXPECT_FALSE(WaitsForPaint(button));
}

}  // namespace
