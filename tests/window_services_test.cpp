// The window services read a text view's text in place and hand texts over to it without a
// copy; other controls they read and set through copies.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"
#include "tests/support/lines_text.h"
#include "ui/win32/text_view/text_view.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_window_services.h"

namespace {

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

TEST_F(WindowServicesTest, ShareTextShowsTheVeryTextInAViewAndACopyElsewhere) {
  for (const ControlText& c : ControlTexts()) {
    std::optional<SharedText> shared(SharedText(std::u16string(c.text)));
    const char16_t* memory = shared->View().data();
    services_.ShareText(c.id, *shared);
    EXPECT_EQ(services_.PeekText(c.id).data() == memory, c.keptByTheView) << c.id;
    shared.reset();  // a view keeps it alive
    EXPECT_TRUE(WindowText(c.id) == c.text) << c.id << ": " << c.text.size() << " characters";
  }
}

}  // namespace
