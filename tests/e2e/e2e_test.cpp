// End-to-end tests: the real Vornel.exe, driven from outside through its windows, with a
// Documents folder of each test's own.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "res/resource.h"
#include "tests/e2e/private_documents.h"
#include "tests/e2e/program_driver.h"
#include "tests/e2e/real_input.h"
#include "tests/support/text_bytes.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kCaption = L"Vornel Ver2";
constexpr int kFileNameEdit = 0x480;  // the file name box of the file dialogs

// Texts the program shows.
const std::wstring kNotBinary = L"0と1で構成された２進数値以外は入力できません。";
const std::wstring kCompleted = L"処理を完了しました。";
const std::wstring kCancelClicked = L"キャンセルボタンがクリックされました。";
const std::wstring kSaved = L"ファイル保存を完了しました。";
const std::wstring kSaveFailed = L"何らかの理由でファイル保存出来ませんでした。";
const std::wstring kAutoFolderCreated = L"自動処理設定用ディレクトリーを作成しました。";

// The clipboard's text; empty when it holds none.
std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* locked = static_cast<const wchar_t*>(GlobalLock(data))) text = locked;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

bool EmptyTheClipboard() {
  if (!OpenClipboard(nullptr)) return false;
  const bool emptied = EmptyClipboard() != FALSE;
  CloseClipboard();
  return emptied;
}

// Whether `window` is a file dialog (it has a file name box).
bool IsFileDialog(HWND window) { return FindDescendant(window, kFileNameEdit) != nullptr; }

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(documents_.Active()) << "could not point Documents at a private folder";
    // The program creates its folders only below an existing maker folder.
    fs::create_directories(documents_.Path() / L"Brindlecot");
  }

  fs::path AppData() const { return documents_.AppData(); }
  fs::path SettingsFile() const { return AppData() / L"temp" / L"Pellow.tmp"; }
  fs::path HandOffFolder() const { return AppData() / L"AutoFile"; }

  // Writes a settings file for the next start.
  void WriteSettings(const std::string& bytes) {
    fs::create_directories(AppData() / L"temp");
    ASSERT_TRUE(WriteBytes(SettingsFile(), bytes));
  }

  // Starts the program and waits for its dialog.
  void Start() {
    program_.emplace(ProgramPath());
    ASSERT_TRUE(program_->Started()) << "Vornel.exe did not start";
    dialog_ = program_->WaitForDialog(kCaption);
    ASSERT_NE(dialog_, nullptr) << "the dialog did not appear: Vornel.exe " << program_->Fate();
  }

  // Clicks Exit and waits for the program to end.
  void Exit() {
    Click(dialog_, IDC_BTN_EXIT);
    ASSERT_TRUE(program_->WaitForExit()) << "the program did not end after Exit";
  }

  // Waits for the next message box of the dialog, checks its caption and text, and closes it.
  void ExpectMessage(const std::wstring& text) {
    const std::optional<OwnedDialog> box = WaitForMessageBox(dialog_);
    ASSERT_TRUE(box.has_value()) << "no message box appeared; " << Answering(dialog_);
    EXPECT_EQ(box->caption, L"Vornel");
    EXPECT_EQ(box->text, text);
    ASSERT_TRUE(PressOk(box->window));
  }

  // Reads `file` (written as `content`) into the dialog.
  void ReadFile(const fs::path& file, const std::wstring& content) {
    ASSERT_TRUE(ReadIntoDialog(dialog_, file, content)) << "the file text did not appear";
    ASSERT_EQ(ControlText(dialog_, IDC_EDIT_FILE_TEXT), content);
  }

  // Whether the dialog is idle again after a file conversion: the controls that the end of a
  // run enables last are enabled.
  bool Idle() const {
    return !ControlVisible(dialog_, IDC_BTN_CANCEL) && ControlEnabled(dialog_, IDC_BTN_EXIT) &&
           ControlEnabled(dialog_, IDC_EDIT_BINARY) && ControlEnabled(dialog_, IDC_BROWSE_FILE);
  }

  void ExpectIdleControls() const {
    EXPECT_FALSE(ControlVisible(dialog_, IDC_EDIT_PROGRESS));
    EXPECT_FALSE(ControlVisible(dialog_, IDC_PROGRESS));
    EXPECT_EQ(ControlText(dialog_, IDC_EDIT_PROGRESS), L"");
    EXPECT_EQ(ControlCheck(dialog_, IDC_CHK_AUTO), BST_UNCHECKED);
    for (int id : {IDC_CHK_AUTO, IDC_BTN_VERSION, IDC_BTN_CONVERT, IDC_BTN_READ_FILE, IDC_BTN_SAVE,
                   IDC_EDIT_BINARY, IDC_BROWSE_FILE, IDC_BTN_BROWSE}) {
      EXPECT_TRUE(ControlEnabled(dialog_, id)) << "control " << id;
    }
  }

  PrivateDocuments documents_;
  std::optional<RunningProgram> program_;
  HWND dialog_ = nullptr;
};

TEST_F(ProgramTest, FirstStartCreatesTheFoldersAndShowsTheStartState) {
  Start();

  EXPECT_TRUE(fs::is_directory(AppData()));
  EXPECT_TRUE(fs::is_directory(AppData() / L"Result"));
  EXPECT_TRUE(fs::is_directory(AppData() / L"temp"));
  EXPECT_FALSE(fs::exists(HandOffFolder()));
  EXPECT_EQ(_wcsicmp(ControlText(dialog_, IDC_EDIT_EXE_PATH).c_str(), ProgramPath().c_str()), 0)
      << "path shown: " << fs::path(ControlText(dialog_, IDC_EDIT_EXE_PATH)).string();

  for (int id :
       {IDC_BTN_CONVERT_FILE, IDC_EDIT_PROGRESS, IDC_PROGRESS, IDC_BTN_CANCEL, IDC_CHK_MESSAGES}) {
    EXPECT_FALSE(ControlVisible(dialog_, id)) << "control " << id << " should be hidden";
  }
  for (int id :
       {IDC_CHK_AUTO, IDC_BTN_VERSION, IDC_EDIT_BINARY, IDC_BTN_CONVERT, IDC_EDIT_DECIMAL,
        IDC_BROWSE_FILE, IDC_BTN_BROWSE, IDC_BTN_READ_FILE, IDC_EDIT_FILE_TEXT, IDC_EDIT_RESULT,
        IDC_BTN_SAVE, IDC_EDIT_EXE_PATH, IDC_LINK_HOME, IDC_LINK_GUIDE, IDC_BTN_EXIT}) {
    EXPECT_TRUE(ControlVisible(dialog_, id)) << "control " << id << " should be shown";
    EXPECT_TRUE(ControlEnabled(dialog_, id)) << "control " << id << " should be enabled";
  }
  EXPECT_EQ(ControlCheck(dialog_, IDC_CHK_AUTO), BST_UNCHECKED);

  Exit();
  EXPECT_EQ(ReadBytes(SettingsFile()), "0\r\n0");
}

TEST_F(ProgramTest, DialogKeysDoNothingButTypingWorks) {
  Start();
  // Enter would press the default button (Exit) and Escape would cancel, were the keys
  // given to the dialog's keyboard handling.
  PressKey(dialog_, IDC_CHK_AUTO, VK_RETURN);
  PressKey(dialog_, IDC_BTN_CONVERT, VK_ESCAPE);
  PressKey(dialog_, IDC_EDIT_BINARY, VK_RETURN);
  // Posted messages are handled in order: once this text shows, the keys have been handled.
  Type(dialog_, IDC_EDIT_BINARY, L"1");
  ASSERT_TRUE(WaitUntil(
      [&] { return !program_->Running() || ControlText(dialog_, IDC_EDIT_BINARY) == L"1"; }));
  ASSERT_TRUE(program_->Running()) << "a key press ended the dialog";
  EXPECT_TRUE(HasVisibleDialog(program_->Id(), kCaption));
  Exit();
}

TEST_F(ProgramTest, EscapeAndEnterOnTheKeyboardChangeNothingInAnyControl) {
  Start();
  SetForegroundWindow(dialog_);
  const int kTexts[] = {IDC_EDIT_BINARY,    IDC_EDIT_DECIMAL, IDC_BROWSE_FILE,
                        IDC_EDIT_FILE_TEXT, IDC_EDIT_RESULT,  IDC_EDIT_EXE_PATH};
  std::wstring before[std::size(kTexts)];
  for (std::size_t i = 0; i < std::size(kTexts); ++i) before[i] = ControlText(dialog_, kTexts[i]);
  // Each control that takes the focus; a button or check box is pressed and released away from
  // itself, which focuses it without a click. The number box comes twice: empty, and after a
  // typed 1, once its box has taken a character. No control follows itself.
  struct Focused {
    int id;
    bool button;
    WORD typed;
  };
  const Focused kControls[] = {
      {IDC_EDIT_BINARY, false, 0},    {IDC_EDIT_DECIMAL, false, 0}, {IDC_BROWSE_FILE, false, 0},
      {IDC_EDIT_FILE_TEXT, false, 0}, {IDC_EDIT_RESULT, false, 0},  {IDC_EDIT_EXE_PATH, false, 0},
      {IDC_BTN_VERSION, true, 0},     {IDC_BTN_CONVERT, true, 0},   {IDC_BTN_BROWSE, true, 0},
      {IDC_BTN_READ_FILE, true, 0},   {IDC_BTN_SAVE, true, 0},      {IDC_BTN_EXIT, true, 0},
      {IDC_CHK_AUTO, true, 0},        {IDC_EDIT_BINARY, false, '1'}};
  // Input is taken in order: once a click has moved the focus, the keys before it have been
  // handled, and they neither ended the program nor opened a box.
  const auto anyDialog = [](HWND) { return true; };
  const auto focus = [&](int id, bool button) {
    const HWND control = GetDlgItem(dialog_, id);
    ASSERT_NE(control, nullptr) << "the dialog is gone before control " << id;
    ClickInto(dialog_, id, button);
    WaitUntil([&] {
      return !program_->Running() || FocusOfThread(dialog_) == control ||
             WaitForOwnedDialog(dialog_, anyDialog, Milliseconds{0});
    });
    ASSERT_TRUE(program_->Running()) << "the keys before control " << id << " ended it";
    ASSERT_FALSE(WaitForOwnedDialog(dialog_, anyDialog, Milliseconds{0}))
        << "the keys before control " << id << " opened a box";
    ASSERT_EQ(FocusOfThread(dialog_), control) << "control " << id;
  };
  for (const Focused& control : kControls) {
    ASSERT_NO_FATAL_FAILURE(focus(control.id, control.button));
    if (control.typed != 0) PressRealKey(control.typed);
    PressRealKey(VK_ESCAPE);
    PressRealKey(VK_RETURN);
  }
  ASSERT_NO_FATAL_FAILURE(focus(IDC_EDIT_DECIMAL, false));
  before[0] = L"1";
  for (std::size_t i = 0; i < std::size(kTexts); ++i) {
    EXPECT_EQ(ControlText(dialog_, kTexts[i]), before[i]) << "control " << kTexts[i];
  }
  EXPECT_EQ(ControlCheck(dialog_, IDC_CHK_AUTO), BST_UNCHECKED);
  EXPECT_FALSE(fs::exists(SettingsFile()));
  EXPECT_FALSE(fs::exists(HandOffFolder()));

  // A close request from another program still ends the idle dialog, without Exit's steps.
  PostMessageW(dialog_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program_->WaitForExit()) << "the idle dialog did not end on a close request";
  EXPECT_FALSE(fs::exists(SettingsFile()));
}

TEST_F(ProgramTest, TypedNumberIsConvertedAndOtherDigitsAreRefused) {
  Start();
  Type(dialog_, IDC_EDIT_BINARY, L"101");
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_EDIT_BINARY) == L"101"; }));
  Click(dialog_, IDC_BTN_CONVERT);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_EDIT_DECIMAL) == L"5"; }));

  // The box itself refuses letters; a digit other than 0 and 1 reaches the filter.
  Type(dialog_, IDC_EDIT_BINARY, L"a1");
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_EDIT_BINARY) == L"1011"; }));
  Type(dialog_, IDC_EDIT_BINARY, L"2");
  ExpectMessage(kNotBinary);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_EDIT_BINARY).empty(); }));
  EXPECT_EQ(ControlText(dialog_, IDC_EDIT_DECIMAL), L"5");

  Click(dialog_, IDC_BTN_CONVERT);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_EDIT_DECIMAL) == L"0"; }));
  Exit();
}

TEST_F(ProgramTest, FileIsReadAndConvertedWithTheResultsShown) {
  // Settings that open the message gate; the start still leaves the switch off.
  WriteSettings("1\r\n1");
  Start();
  EXPECT_EQ(ControlCheck(dialog_, IDC_CHK_AUTO), BST_UNCHECKED);
  EXPECT_FALSE(ControlVisible(dialog_, IDC_CHK_MESSAGES));

  ReadFile(documents_.Scratch() / L"numbers.txt",
           L"101\r\n11\r\n\r\n1111111111111111111111111111111\r\n");
  ASSERT_TRUE(WaitUntil([&] { return ControlVisible(dialog_, IDC_BTN_CONVERT_FILE); }));
  Click(dialog_, IDC_BTN_CONVERT_FILE);

  ExpectMessage(kCompleted);
  ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
  EXPECT_EQ(ControlText(dialog_, IDC_EDIT_RESULT), L"5\r\n3\r\n2147483647\r\n");
  ExpectIdleControls();
  Exit();
}

TEST_F(ProgramTest, KeysMoveTheCaretAndSelectAndCopyInTheResults) {
  WriteSettings("1\r\n1");
  Start();
  ReadFile(documents_.Scratch() / L"lines.txt", L"101\r\n11\r\n110\r\n");
  ASSERT_TRUE(WaitUntil([&] { return ControlVisible(dialog_, IDC_BTN_CONVERT_FILE); }));
  Click(dialog_, IDC_BTN_CONVERT_FILE);
  ExpectMessage(kCompleted);
  ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
  ASSERT_EQ(ControlText(dialog_, IDC_EDIT_RESULT), L"5\r\n3\r\n6\r\n");

  const HWND results = FindDescendant(dialog_, IDC_EDIT_RESULT);
  ClickInto(dialog_, results);
  ASSERT_TRUE(WaitUntil([&] { return CaretOf(dialog_).window == results; }))
      << "a click into the results shows no caret there";
  PressKeys({VK_CONTROL, VK_HOME});
  ASSERT_TRUE(WaitUntil([&] { return CaretOf(dialog_).rect.top == 0; }));
  const RECT first = CaretOf(dialog_).rect;
  ASSERT_GT(first.bottom, first.top);
  PressKeys({VK_DOWN});
  EXPECT_TRUE(WaitUntil([&] {
    const CaretPlace caret = CaretOf(dialog_);
    return caret.window == results && caret.rect.left == first.left &&
           caret.rect.top == first.bottom;
  })) << "Down did not move the caret one line lower";

  ASSERT_TRUE(EmptyTheClipboard());
  PressKeys({VK_SHIFT, VK_DOWN});
  PressKeys({VK_CONTROL, 'C'});
  EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"3\r\n"; }))
      << "copied: " << testing::PrintToString(ClipboardText());
  Exit();
}

TEST_F(ProgramTest, CancelStopsALongConversion) {
  Start();
  // Clicks posted in a row are taken in order: Cancel's click waits in the queue until the
  // run's first pump, 20 ms into a run of 3,000,000 lines, however fast the run is.
  constexpr std::size_t kLines = 3000000;
  std::wstring content;
  for (std::size_t i = 0; i < kLines; ++i) content += L"1011001110001111\r\n";
  ReadFile(documents_.Scratch() / L"long.txt", content);
  Click(dialog_, IDC_BTN_CONVERT_FILE);
  Click(dialog_, IDC_BTN_CANCEL);
  // Cancel's message comes while the run is held, with the controls still busy.
  const std::optional<OwnedDialog> box = WaitForMessageBox(dialog_);
  ASSERT_TRUE(box.has_value()) << "no message box appeared; " << Answering(dialog_);
  EXPECT_EQ(box->text, kCancelClicked);
  EXPECT_TRUE(ControlVisible(dialog_, IDC_BTN_CANCEL));
  EXPECT_TRUE(ControlVisible(dialog_, IDC_PROGRESS));
  for (int id : {IDC_BTN_EXIT, IDC_BTN_CONVERT, IDC_BTN_READ_FILE, IDC_CHK_AUTO, IDC_BTN_SAVE}) {
    EXPECT_FALSE(ControlEnabled(dialog_, id)) << "control " << id;
  }
  ASSERT_TRUE(PressOk(box->window));
  ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
  // A click taken before the results are placed leaves none; one taken while they are put in
  // is answered at the next step, with all of them in place. Never a part of them.
  const std::size_t shown = ControlTextLength(dialog_, IDC_EDIT_RESULT);
  EXPECT_TRUE(shown == 0 || shown == kLines * std::wstring(L"45967\r\n").size())
      << shown << " characters of results";
  ExpectIdleControls();
  Exit();
}

TEST_F(ProgramTest, ACloseRequestWaitsOutARunAndThenEndsWithoutExitsSteps) {
  Start();
  constexpr std::size_t kLines = 3000000;  // a run that lasts, as in the Cancel test
  std::wstring content;
  for (std::size_t i = 0; i < kLines; ++i) content += L"1011001110001111\r\n";
  ReadFile(documents_.Scratch() / L"long.txt", content);
  // Posted right behind the click, the request is taken by the run's first pump.
  Click(dialog_, IDC_BTN_CONVERT_FILE);
  PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
  const std::size_t all = kLines * std::wstring(L"45967\r\n").size();
  ASSERT_TRUE(WaitUntil([&] {
    return !IsWindow(dialog_) || (Idle() && ControlTextLength(dialog_, IDC_EDIT_RESULT) == all);
  })) << ControlTextLength(dialog_, IDC_EDIT_RESULT)
      << " characters of results";
  ASSERT_TRUE(IsWindow(dialog_)) << "a close request ended a running conversion";

  Click(dialog_, IDC_CHK_AUTO);
  ExpectMessage(kAutoFolderCreated);
  ASSERT_TRUE(WaitUntil([&] { return ControlVisible(dialog_, IDC_CHK_MESSAGES); }));
  PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(program_->WaitForExit()) << "the idle dialog did not end on a close request";
  EXPECT_TRUE(fs::is_directory(HandOffFolder()));
  EXPECT_FALSE(fs::exists(SettingsFile()));
}

TEST_F(ProgramTest, AQuitMessageDuringARunLeavesCancelWorkingAndEndsTheProgramAfterIt) {
  // Settings that open the message gate: a run that went on to its end would wait at its
  // completion message.
  WriteSettings("1\r\n1");
  Start();
  constexpr std::size_t kLines = 3000000;  // a run that lasts, as in the Cancel test
  std::wstring content;
  for (std::size_t i = 0; i < kLines; ++i) content += L"1011001110001111\r\n";
  ReadFile(documents_.Scratch() / L"long.txt", content);
  // Posted messages are taken in order: the run's first pump takes the quit, then the click.
  Click(dialog_, IDC_BTN_CONVERT_FILE);
  PostThreadMessageW(GetWindowThreadProcessId(dialog_, nullptr), WM_QUIT, 0, 0);
  Click(dialog_, IDC_BTN_CANCEL);
  ExpectMessage(kCancelClicked);
  ASSERT_TRUE(program_->WaitForExit()) << "the program did not end after the run";
  EXPECT_EQ(ReadBytes(SettingsFile()), "1\r\n1");
}

TEST_F(ProgramTest, BrowseButtonPutsTheChosenFileIntoTheBox) {
  Start();
  const fs::path file = documents_.Scratch() / L"chosen.txt";
  ASSERT_TRUE(WriteBytes(file, Utf16WithMark(L"11\r\n")));
  Click(dialog_, IDC_BTN_BROWSE);
  const std::optional<OwnedDialog> openDialog = WaitForOwnedDialog(dialog_, IsFileDialog);
  ASSERT_TRUE(openDialog.has_value()) << "no open dialog appeared";
  SendMessageW(FindDescendant(openDialog->window, kFileNameEdit), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(file.wstring().c_str()));
  PostMessageW(FindDescendant(openDialog->window, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_BROWSE_FILE) == file.wstring(); }));

  Click(dialog_, IDC_BTN_READ_FILE);
  EXPECT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_EDIT_FILE_TEXT) == L"11\r\n"; }));
  Exit();
}

TEST_F(ProgramTest, SaveWritesTheResultsToTheChosenFile) {
  Start();
  ReadFile(documents_.Scratch() / L"one.txt", L"101\r\n");
  Click(dialog_, IDC_BTN_CONVERT_FILE);
  ASSERT_TRUE(WaitUntil([&] { return ControlText(dialog_, IDC_EDIT_RESULT) == L"5\r\n"; }));
  ASSERT_TRUE(WaitUntil([&] { return Idle(); }));

  // Cancelling the save dialog is reported as a failure.
  Click(dialog_, IDC_BTN_SAVE);
  std::optional<OwnedDialog> saveDialog = WaitForOwnedDialog(dialog_, IsFileDialog);
  ASSERT_TRUE(saveDialog.has_value()) << "no save dialog appeared";
  PostMessageW(FindDescendant(saveDialog->window, IDCANCEL), BM_CLICK, 0, 0);
  ExpectMessage(kSaveFailed);

  const fs::path target = documents_.Scratch() / L"results.txt";
  Click(dialog_, IDC_BTN_SAVE);
  saveDialog = WaitForOwnedDialog(dialog_, IsFileDialog);
  ASSERT_TRUE(saveDialog.has_value()) << "no save dialog appeared";
  const HWND nameBox = FindDescendant(saveDialog->window, kFileNameEdit);
  SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.wstring().c_str()));
  PostMessageW(FindDescendant(saveDialog->window, IDOK), BM_CLICK, 0, 0);
  ExpectMessage(kSaved);
  EXPECT_EQ(ReadBytes(target), "5\r\n");
  Exit();
}

TEST_F(ProgramTest, VersionDialogOpensAndCloses) {
  Start();
  Click(dialog_, IDC_BTN_VERSION);
  const std::optional<OwnedDialog> version =
      WaitForOwnedDialog(dialog_, [](HWND window) { return GetDlgItem(window, IDOK) != nullptr; });
  ASSERT_TRUE(version.has_value()) << "no version dialog appeared";
  EXPECT_EQ(version->caption, L"バージョン情報");
  EXPECT_FALSE(IsWindowEnabled(dialog_)) << "the main dialog should wait for it";
  ASSERT_TRUE(PressOk(version->window));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog_) != 0; }));
  Exit();
}

TEST_F(ProgramTest, SwitchingAutomaticProcessingOnKeepsTheHandOffFolderAtExit) {
  WriteSettings("1\r\n1");
  Start();
  Click(dialog_, IDC_CHK_AUTO);
  ExpectMessage(kAutoFolderCreated);
  ASSERT_TRUE(WaitUntil([&] { return ControlVisible(dialog_, IDC_CHK_MESSAGES); }));
  EXPECT_EQ(ControlCheck(dialog_, IDC_CHK_AUTO), BST_CHECKED);
  EXPECT_EQ(ControlCheck(dialog_, IDC_CHK_MESSAGES), BST_CHECKED);
  EXPECT_TRUE(fs::is_directory(HandOffFolder()));

  Exit();
  EXPECT_TRUE(fs::is_directory(HandOffFolder()));
  EXPECT_EQ(ReadBytes(SettingsFile()), "1\r\n1");
}

TEST_F(ProgramTest, ExitWithoutAutomaticProcessingRemovesTheHandOffFolder) {
  Start();
  // Another program creates the hand-off folder while the dialog is up.
  fs::create_directories(HandOffFolder());
  ASSERT_TRUE(WriteBytes(HandOffFolder() / L"Quillet.tbin", Utf16WithMark(L"1\r\n")));
  Exit();
  EXPECT_FALSE(fs::exists(HandOffFolder()));
  EXPECT_EQ(ReadBytes(SettingsFile()), "0\r\n0");
}

TEST_F(ProgramTest, BatchRunConvertsWithoutShowingTheDialog) {
  fs::create_directories(AppData() / L"Result");
  fs::create_directories(HandOffFolder());
  const fs::path input = HandOffFolder() / L"Quillet.tbin";
  ASSERT_TRUE(WriteBytes(input, Utf16WithMark(L"101\r\n\r\n11\r\n")));

  program_.emplace(ProgramPath());
  ASSERT_TRUE(program_->Started());
  bool dialogSeen = false;
  const bool ended = WaitUntil([&] {
    dialogSeen = dialogSeen || HasVisibleDialog(program_->Id(), kCaption);
    return !program_->Running();
  });
  ASSERT_TRUE(ended) << "the batch run did not end by itself";
  EXPECT_FALSE(dialogSeen);
  EXPECT_EQ(ReadBytes(AppData() / L"Result" / L"Ostrum.tbin"), "5\r\n3\r\n");
  EXPECT_FALSE(fs::exists(input));
  EXPECT_TRUE(fs::is_directory(HandOffFolder()));
}

}  // namespace
