// The two text views as a screen reader sees them from another process: their MSAA objects and
// UI Automation's simple properties (wine 8 has no client for UI Automation's patterns).
#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "res/resource.h"
#include "tests/e2e/private_documents.h"
#include "tests/e2e/program_driver.h"
#include "tuning/tuning.h"
#include "ui/win32/text_view/uia_functions.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kCaption = L"Vornel Ver2";
constexpr LONG kReadOnlyFocusable = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;

struct ViewCase {
  int id;
  const wchar_t* label;
};
constexpr ViewCase kViews[] = {{IDC_EDIT_FILE_TEXT, L"ファイルの内容"},
                               {IDC_EDIT_RESULT, L"処理結果"}};

// What a view's MSAA object answers.
struct MsaaAnswers {
  std::wstring name;
  LONG role = 0;
  LONG state = 0;
  std::wstring value;
  RECT location{};
  HWND window = nullptr;
};

std::wstring TakeBstr(BSTR text) {
  std::wstring copy = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return copy;
}

// Asks the MSAA object of `view`; nullopt when there is none.
std::optional<MsaaAnswers> AskMsaa(HWND view) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(view, OBJID_CLIENT, IID_IAccessible,
                                        reinterpret_cast<void**>(&object)))) {
    return std::nullopt;
  }
  MsaaAnswers answers;
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (object->get_accName(self, &text) == S_OK) answers.name = TakeBstr(text);
  if (object->get_accValue(self, &text) == S_OK) answers.value = TakeBstr(text);
  VARIANT result;
  if (object->get_accRole(self, &result) == S_OK && result.vt == VT_I4) answers.role = result.lVal;
  if (object->get_accState(self, &result) == S_OK && result.vt == VT_I4)
    answers.state = result.lVal;
  long left = 0;
  long top = 0;
  long width = 0;
  long height = 0;
  if (object->accLocation(&left, &top, &width, &height, self) == S_OK) {
    answers.location = RECT{left, top, left + width, top + height};
  }
  WindowFromAccessibleObject(object, &answers.window);
  object->Release();
  return answers;
}

// The name of the window object of `view` (whose window text is the view's whole text).
std::wstring WindowObjectName(HWND view) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(view, OBJID_WINDOW, IID_IAccessible,
                                        reinterpret_cast<void**>(&object)))) {
    return L"<none>";
  }
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  std::wstring name = object->get_accName(self, &text) == S_OK ? TakeBstr(text) : L"<none>";
  object->Release();
  return name;
}

// What UI Automation tells of a view.
struct UiaAnswers {
  std::wstring name;
  LONG controlType = 0;
  std::wstring automationId;
  bool keyboardFocusable = false;
};

// Asks UI Automation about `view`; nullopt when it has no element for it.
std::optional<UiaAnswers> AskUia(HWND view) {
  uia::HUIANODE node = nullptr;
  if (FAILED(uia::NodeFromHandle(view, &node)) || node == nullptr) return std::nullopt;
  UiaAnswers answers;
  VARIANT value;
  VariantInit(&value);
  if (SUCCEEDED(uia::GetPropertyValue(node, UIA_NamePropertyId, &value)) && value.vt == VT_BSTR) {
    answers.name.assign(value.bstrVal, SysStringLen(value.bstrVal));
  }
  VariantClear(&value);
  if (SUCCEEDED(uia::GetPropertyValue(node, UIA_ControlTypePropertyId, &value)) &&
      value.vt == VT_I4) {
    answers.controlType = value.lVal;
  }
  VariantClear(&value);
  if (SUCCEEDED(uia::GetPropertyValue(node, UIA_AutomationIdPropertyId, &value)) &&
      value.vt == VT_BSTR) {
    answers.automationId.assign(value.bstrVal, SysStringLen(value.bstrVal));
  }
  VariantClear(&value);
  if (SUCCEEDED(uia::GetPropertyValue(node, UIA_IsKeyboardFocusablePropertyId, &value)) &&
      value.vt == VT_BOOL) {
    answers.keyboardFocusable = value.boolVal == VARIANT_TRUE;
  }
  VariantClear(&value);
  uia::NodeRelease(node);
  return answers;
}

class AccessibilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A client without COM reaches only the system's own objects, not the views'.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(documents_.Active()) << "could not point Documents at a private folder";
    fs::create_directories(documents_.Path() / L"Brindlecot");
    // Settings that open the message gate, so that the end of a conversion shows its message.
    fs::create_directories(documents_.AppData() / L"temp");
    ASSERT_TRUE(WriteBytes(documents_.AppData() / L"temp" / L"Pellow.tmp", "1\r\n1"));
    program_.emplace(ProgramPath());
    ASSERT_TRUE(program_->Started()) << "Vornel.exe did not start";
    dialog_ = program_->WaitForDialog(kCaption);
    ASSERT_NE(dialog_, nullptr) << "the dialog did not appear: Vornel.exe " << program_->Fate();
  }

  void TearDown() override {
    if (dialog_ != nullptr) {
      Click(dialog_, IDC_BTN_EXIT);
      EXPECT_TRUE(program_->WaitForExit()) << "the program did not end after Exit";
    }
    program_.reset();
    CoUninitialize();
  }

  void ReadFile(const std::wstring& content) {
    ASSERT_TRUE(ReadIntoDialog(dialog_, documents_.Scratch() / L"numbers.txt", content))
        << "the file text did not appear";
  }

  // Checks what both views answer, with `values` as their texts.
  void ExpectViews(const std::wstring (&values)[2]) {
    for (std::size_t i = 0; i < 2; ++i) {
      const HWND view = GetDlgItem(dialog_, kViews[i].id);
      SCOPED_TRACE(kViews[i].id);
      const std::optional<MsaaAnswers> msaa = AskMsaa(view);
      ASSERT_TRUE(msaa.has_value());
      EXPECT_EQ(msaa->name, kViews[i].label);
      EXPECT_EQ(msaa->role, ROLE_SYSTEM_TEXT);
      EXPECT_EQ(msaa->state & kReadOnlyFocusable, kReadOnlyFocusable);
      EXPECT_EQ(msaa->value, values[i]);
      RECT client{};
      GetClientRect(view, &client);
      MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&client), 2);
      EXPECT_TRUE(EqualRect(&msaa->location, &client));
      EXPECT_EQ(msaa->window, view);
      EXPECT_EQ(WindowObjectName(view), kViews[i].label);

      const std::optional<UiaAnswers> automation = AskUia(view);
      ASSERT_TRUE(automation.has_value()) << "no UI Automation element";
      EXPECT_EQ(automation->name, kViews[i].label);
      EXPECT_EQ(automation->controlType, 50004);  // Edit
      EXPECT_EQ(automation->automationId, std::to_wstring(kViews[i].id));
      EXPECT_TRUE(automation->keyboardFocusable);
    }
  }

  PrivateDocuments documents_;
  std::optional<RunningProgram> program_;
  HWND dialog_ = nullptr;
};

TEST_F(AccessibilityTest, ViewsAnswerAsLabelledReadOnlyTextsBeforeAndAfterAFileIsConverted) {
  ExpectViews({L"", L""});

  const std::wstring content = L"101\r\n11\r\n\r\n1111111111111111111111111111111\r\n";
  ReadFile(content);
  ExpectViews({content, L""});

  ASSERT_TRUE(WaitUntil([&] { return ControlVisible(dialog_, IDC_BTN_CONVERT_FILE); }));
  Click(dialog_, IDC_BTN_CONVERT_FILE);
  const std::optional<OwnedDialog> box = WaitForMessageBox(dialog_);
  ASSERT_TRUE(box.has_value()) << "no message box after the conversion";
  ASSERT_TRUE(PressOk(box->window));
  ASSERT_TRUE(WaitUntil([&] { return ControlEnabled(dialog_, IDC_BTN_EXIT); }));
  ExpectViews({content, L"5\r\n3\r\n2147483647\r\n"});

  // A click gives the results the focus, and only they say so.
  const HWND results = GetDlgItem(dialog_, IDC_EDIT_RESULT);
  PostMessageW(results, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(results, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(WaitUntil([&] {
    const std::optional<MsaaAnswers> answers = AskMsaa(results);
    return answers.has_value() && (answers->state & STATE_SYSTEM_FOCUSED) != 0;
  }));
  const std::optional<MsaaAnswers> fileView = AskMsaa(GetDlgItem(dialog_, IDC_EDIT_FILE_TEXT));
  ASSERT_TRUE(fileView.has_value());
  EXPECT_EQ(fileView->state & STATE_SYSTEM_FOCUSED, 0);
}

TEST_F(AccessibilityTest, ValueOfALongTextEndsAtTheFirstLineEndPastTheBound) {
  std::wstring content;
  for (int i = 0; content.size() < 3 * tuning::kAccessibleTextChars; ++i) {
    content += std::to_wstring(i % 2 == 0 ? 1010101 : 11) + L"\r\n";
  }
  ReadFile(content);
  const std::optional<MsaaAnswers> msaa = AskMsaa(GetDlgItem(dialog_, IDC_EDIT_FILE_TEXT));
  ASSERT_TRUE(msaa.has_value());
  EXPECT_EQ(msaa->name, L"ファイルの内容");
  EXPECT_EQ(msaa->value, content.substr(0, content.find(L'\r', tuning::kAccessibleTextChars)));
}

}  // namespace
