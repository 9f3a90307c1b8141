// The window services hold what the program changes in the controls until the window can
// next show it, and paint a busy window a few times a second.
#include "ui/win32/control_changes.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "ui/win32/text_view/text_view.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_window_services.h"

namespace {

constexpr int kEditId = 1;

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
