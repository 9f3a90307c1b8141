// Start-up, single-number conversion, the automatic-processing switch and Exit.
#include <gtest/gtest.h>

#include "tests/support/dialog_fixture.h"
#include "tests/support/test_text.h"
#include "tests/support/text_bytes.h"
#include "ui/messages.h"

namespace fs = std::filesystem;

namespace {

TEST_F(DialogTest, FirstStartCreatesTheFoldersAndWaitsForTheUser) {
  Start();
  EXPECT_TRUE(fs::is_directory(AppData()));
  EXPECT_TRUE(fs::is_directory(AppData() / "Result"));
  EXPECT_TRUE(fs::is_directory(AppData() / "temp"));
  EXPECT_FALSE(fs::exists(HandOff()));
  EXPECT_FALSE(window.endResult);
  EXPECT_TRUE(window.iconsSet);
  EXPECT_EQ(window[IDC_EDIT_EXE_PATH].text, window.programPath);
  for (int id :
       {IDC_BTN_CONVERT_FILE, IDC_EDIT_PROGRESS, IDC_PROGRESS, IDC_BTN_CANCEL, IDC_CHK_MESSAGES}) {
    EXPECT_FALSE(window[id].visible) << id;
  }
  EXPECT_EQ(window[IDC_CHK_AUTO].check, 0);
  EXPECT_TRUE(window.boxes.empty());
  EXPECT_EQ(folders.ResultDir, (AppData() / "Result").u16string());
}

TEST_F(DialogTest, WithoutTheMakersFolderNoFolderIsCreated) {
  fs::remove(documents / "Brindlecot");
  Start();
  EXPECT_TRUE(fs::is_empty(documents));
  EXPECT_FALSE(window.endResult);
}

TEST_F(DialogTest, AnUnknownProgramPathLeavesThePathBoxEmpty) {
  window.programPath.clear();
  window.controls[IDC_EDIT_EXE_PATH].text = u"";
  Start();
  EXPECT_EQ(window[IDC_EDIT_EXE_PATH].text, u"");
}

struct SettingsCase {
  std::string bytes;
  int messagesCheck;  // the hidden show-messages box's check after an interactive start
  std::u16string line1;
};

TEST_F(DialogTest, TheSettingsFileSetsTheHiddenMessagesBox) {
  const SettingsCase cases[] = {
      {"1\r\n1", 1, u"1"},
      {"1\r\n1\r\n", 1, u"1"},
      {"1", 1, u""},
      {"1\r\n0", 0, u"0"},
      {"0\r\n1", 0, u"1"},
      {"1\n0", 0, u"0"},
      {"1\r0", 1, u""},
      {"", 1, u""},
      {"0 \r\n1", 1, u"1"},
      {"1\r\n\x80"
       "0",
       0, u"0"},
      {std::string("1\r\n0\0"
                   "1",
                   6),
       0, u"0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    DialogRig rig;
    rig.WriteSettings(c.bytes);
    rig.Start();
    EXPECT_EQ(rig.window[IDC_CHK_AUTO].check, 0);  // an interactive start always unchecks it
    EXPECT_FALSE(rig.window[IDC_CHK_MESSAGES].visible);
    EXPECT_EQ(rig.window[IDC_CHK_MESSAGES].check, c.messagesCheck);
    EXPECT_EQ(rig.settings.SettingLines[1], c.line1);
  }
}

TEST_F(DialogTest, SingleNumberConversion) {
  Start();
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"101", u"5"},
      {u"", u"0"},
      {u"0000101", u"5"},
      {U(std::string(31, '1')), u"2147483647"},
      {U("1" + std::string(31, '0')), u"-1"},
      {U("1" + std::string(40, '0')), u"-1"},
  };
  for (const auto& [binary, decimal] : cases) {
    window.Type(IDC_EDIT_BINARY, binary);
    ASSERT_TRUE(window.Click(IDC_BTN_CONVERT));
    EXPECT_EQ(window[IDC_EDIT_DECIMAL].text, decimal) << A(binary);
  }
  EXPECT_TRUE(window.boxes.empty());
}

TEST_F(DialogTest, TheFilterRefusesAnythingButZeroAndOne) {
  Start();
  window.Type(IDC_EDIT_BINARY, u"101");
  window.Click(IDC_BTN_CONVERT);
  for (const std::u16string typed : {u"1012", u"10 1", u"101\r\n", u"１", u"abc"}) {
    window.boxes.clear();
    window.Type(IDC_EDIT_BINARY, typed);
    ASSERT_EQ(window.boxes.size(), 1u) << A(typed);
    EXPECT_EQ(window.boxes[0].text, msg::kNotBinaryInput);
    EXPECT_EQ(window.boxes[0].icon, MessageIcon::kError);
    EXPECT_EQ(window[IDC_EDIT_BINARY].text, u"");
    EXPECT_EQ(window[IDC_EDIT_DECIMAL].text, u"5");  // the last result stays
  }
  window.boxes.clear();
  window.Type(IDC_EDIT_BINARY, u"");
  window.Type(IDC_EDIT_BINARY, u"0110");
  EXPECT_TRUE(window.boxes.empty());
}

TEST_F(DialogTest, SwitchingAutomaticProcessingOnCreatesTheHandOffFolder) {
  Start();
  ASSERT_TRUE(window.Click(IDC_CHK_AUTO));
  EXPECT_TRUE(fs::is_directory(HandOff()));
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, msg::kAutoFolderCreated);
  EXPECT_EQ(window.boxes[0].icon, MessageIcon::kInformation);
  EXPECT_TRUE(window[IDC_CHK_MESSAGES].visible);
  EXPECT_EQ(folders.AutoProcessingOn, 1);

  window.Click(IDC_CHK_AUTO);  // off: no message, the folder stays until Exit
  EXPECT_EQ(window.boxes.size(), 1u);
  EXPECT_FALSE(window[IDC_CHK_MESSAGES].visible);
  EXPECT_TRUE(fs::is_directory(HandOff()));
  EXPECT_EQ(folders.AutoProcessingOn, 0);

  window.Click(IDC_CHK_AUTO);  // on again: the folder is there already
  ASSERT_EQ(window.boxes.size(), 2u);
  EXPECT_EQ(window.boxes[1].text, msg::kAutoFolderNotCreated);
  EXPECT_EQ(window.boxes[1].icon, MessageIcon::kError);
  EXPECT_EQ(folders.AutoProcessingOn, 1);
  EXPECT_TRUE(window[IDC_CHK_MESSAGES].visible);
}

TEST_F(DialogTest, TheMessagesBoxAppearsOnlyAfterItsMessageIsClosed) {
  Start();
  bool visibleWhileBoxUp = true;
  window.onMessageBox = [&](const FakeWindow::Box&) {
    visibleWhileBoxUp = window[IDC_CHK_MESSAGES].visible;
  };
  window.Click(IDC_CHK_AUTO);
  EXPECT_FALSE(visibleWhileBoxUp);
  EXPECT_TRUE(window[IDC_CHK_MESSAGES].visible);
}

struct ExitCase {
  const char* name;
  std::vector<int> clicks;  // before Exit
  bool handOffKept;
  std::string settingsBytes;
};

TEST_F(DialogTest, ExitKeepsOrRemovesTheHandOffFolderAndSavesTheSettings) {
  const ExitCase cases[] = {
      {"on, messages checked", {IDC_CHK_AUTO, IDC_CHK_MESSAGES}, true, "1\r\n1"},
      {"on, messages unchecked", {IDC_CHK_AUTO}, true, "1\r\n0"},
      {"on then off", {IDC_CHK_AUTO, IDC_CHK_MESSAGES, IDC_CHK_AUTO}, false, "0\r\n0"},
      {"untouched", {}, false, "0\r\n0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig;
    rig.Start();
    for (int id : c.clicks) ASSERT_TRUE(rig.window.Click(id));
    fs::create_directories(rig.HandOff());  // appeared during the run, with an input in it
    WriteBytes(rig.Input(), Utf16Bytes("1\r\n"));
    ASSERT_TRUE(rig.window.Click(IDC_BTN_EXIT));
    EXPECT_EQ(rig.window.endResult, 1);
    EXPECT_EQ(fs::exists(rig.HandOff()), c.handOffKept);
    EXPECT_EQ(ReadBytes(rig.SettingsFile()), c.settingsBytes);
  }
}

TEST_F(DialogTest, ACloseRequestEndsTheDialogWithoutExitsSteps) {
  for (const bool autoOn : {true, false}) {
    SCOPED_TRACE(autoOn ? "automatic processing switched on" : "untouched");
    DialogRig rig;
    rig.Start();
    if (autoOn) {
      ASSERT_TRUE(rig.window.Click(IDC_CHK_AUTO));
    }
    fs::create_directories(rig.HandOff());
    ASSERT_TRUE(rig.dialog.OnCommand(kDialogCancelled, Notification::kButtonClicked));
    EXPECT_EQ(rig.window.endResult, kDialogCancelled);
    EXPECT_TRUE(fs::is_directory(rig.HandOff()));  // neither removed nor written to
    EXPECT_FALSE(fs::exists(rig.SettingsFile()));
  }
}

TEST_F(DialogTest, ExitCutsALongerSettingsFile) {
  WriteSettings("1\r\n1\r\nsome longer earlier content");
  Start();
  window.Click(IDC_CHK_AUTO);
  window.Click(IDC_BTN_EXIT);
  EXPECT_EQ(ReadBytes(SettingsFile()), "1\r\n1");
}

TEST_F(DialogTest, ExitRecreatesAMissingTempFolder) {
  Start();
  fs::remove_all(AppData() / "temp");
  window.Click(IDC_BTN_EXIT);
  EXPECT_EQ(ReadBytes(SettingsFile()), "0\r\n0");
}

TEST_F(DialogTest, ExitAfterTheDocumentsFolderMovedWritesTheSettingsBelowTheNewOne) {
  Start();
  fs::create_directories(HandOff());
  const fs::path moved = temp.path() / "Moved";
  fs::create_directories(moved / "Brindlecot" / "Tavernic");
  dialog.SetDocumentsLookup([&] { return moved.u16string(); });
  window.Click(IDC_BTN_EXIT);
  EXPECT_FALSE(fs::exists(HandOff()));  // removed below the old Documents folder
  EXPECT_EQ(ReadBytes(moved / "Brindlecot" / "Tavernic" / "temp" / "Pellow.tmp"), "0\r\n0");
  EXPECT_FALSE(fs::exists(SettingsFile()));
}

TEST_F(DialogTest, TheVersionButtonOpensTheVersionDialog) {
  Start();
  window.Click(IDC_BTN_VERSION);
  EXPECT_EQ(window.versionDialogs, 1);
  EXPECT_FALSE(dialog.OnCommand(IDC_BTN_VERSION, Notification::kEditChanged));
  EXPECT_FALSE(dialog.OnCommand(4242, Notification::kButtonClicked));
}

}  // namespace
