// Starts whose hand-off folder exists: the input is converted or refused, and the dialog
// ends by itself.
#include <gtest/gtest.h>

#include "convert/binary.h"
#include "storage/run_lock.h"
#include "storage/working_folders.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/test_text.h"
#include "tests/support/text_bytes.h"
#include "ui/batch_messages.h"

namespace fs = std::filesystem;

namespace {

class BatchTest : public DialogTest {
 protected:
  BatchTest() {
    fs::create_directories(HandOff());
    fs::create_directories(AppData() / "Result");
  }
  // Messages behind the gate show with a settings file "1" CR LF "1".
  void OpenGate() { WriteSettings("1\r\n1"); }
};

std::string Utf8WithMark(const std::string& ascii) { return "\xEF\xBB\xBF" + ascii; }

struct ConvertedCase {
  const char* name;
  std::string inputBytes;
  std::string output;
};

TEST_F(BatchTest, ConvertsTheInputAndDeletesIt) {
  const ConvertedCase cases[] = {
      {"UTF-16LE", Utf16Bytes("101\r\n11\r\n"), "5\r\n3\r\n"},
      {"UTF-16LE with its mark", Utf16WithMark("101\r\n11"), "5\r\n3\r\n"},
      {"UTF-8 with its mark", Utf8WithMark("1\n\n10\n"), "1\r\n2\r\n"},
      {"blank lines dropped", Utf16Bytes("\r\n1\r\n\r\n\r\n0\r\n\r\n"), "1\r\n0\r\n"},
      {"lone CR joins", Utf16Bytes("10\r1\r\n"), "5\r\n"},
      {"only a mark", "\xFF\xFE", ""},
      {"only blank lines", Utf16Bytes("\r\n\r\n"), ""},
      {"thirty-one digits", Utf16Bytes(std::string(31, '1')), "2147483647\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig;
    fs::create_directories(rig.HandOff());
    fs::create_directories(rig.Output().parent_path());
    WriteBytes(rig.Output(), "an earlier and longer result\r\n");
    WriteBytes(rig.Input(), c.inputBytes);
    rig.Start();
    EXPECT_EQ(rig.window.endResult, -1);
    EXPECT_EQ(ReadBytes(rig.Output()), c.output);
    EXPECT_FALSE(fs::exists(rig.Input()));
    EXPECT_TRUE(fs::is_directory(rig.HandOff()));
    EXPECT_EQ(rig.window.beeps, 1);
    EXPECT_TRUE(rig.window.boxes.empty());  // no settings file: the gate is closed
    EXPECT_EQ(std::distance(fs::directory_iterator(rig.Output().parent_path()), {}), 1);
  }
}

TEST_F(BatchTest, AnOpenGateShowsTheCompletion) {
  OpenGate();
  WriteBytes(Input(), Utf16Bytes("1"));
  Start();
  EXPECT_EQ(window.endResult, -1);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, batch_msg::kCompleted);
  EXPECT_EQ(window.boxes[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(window[IDC_CHK_AUTO].check, 0);
}

struct RefusalCase {
  const char* name;
  std::string inputBytes;  // empty: no input file
  std::u16string_view message;
};

TEST_F(BatchTest, RefusesUnusableInputsAndLeavesEverythingInPlace) {
  const RefusalCase cases[] = {
      {"missing", "", batch_msg::kInputMissing},
      {"zero bytes", std::string(), batch_msg::kInputEmpty},
      {"a space", Utf16Bytes("10 1\r\n"), batch_msg::kInputForeign},
      {"a full-width digit", "\xFF\xFE\x11\xFF", batch_msg::kInputForeign},
      {"a tab", Utf16Bytes("1\r\n\t0"), batch_msg::kInputForeign},
      {"thirty-two zeros", Utf16Bytes("1\r\n" + std::string(32, '0') + "\r\n"), kLimitMessage},
      {"odd byte count", std::string{'1', '\0', '0'}, batch_msg::kInputForeign},
  };
  for (const auto& c : cases) {
    for (bool gateOpen : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (gateOpen ? ", gate open" : ", gate closed"));
      DialogRig rig;
      fs::create_directories(rig.HandOff());
      fs::create_directories(rig.Output().parent_path());
      rig.WriteSettings(gateOpen ? "1\r\n1" : "1\r\n0");
      WriteBytes(rig.Output(), "earlier");
      const bool hasInput = std::string(c.name) != "missing";
      if (hasInput) WriteBytes(rig.Input(), c.inputBytes);
      rig.Start();
      EXPECT_EQ(rig.window.endResult, -1);
      EXPECT_EQ(ReadBytes(rig.Output()), "earlier");
      if (hasInput) {
        EXPECT_EQ(ReadBytes(rig.Input()), c.inputBytes);
      }
      EXPECT_EQ(rig.window.beeps, 0);
      if (gateOpen) {
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_EQ(rig.window.boxes[0].text, c.message);
        EXPECT_EQ(rig.window.boxes[0].icon, MessageIcon::kError);
      } else {
        EXPECT_TRUE(rig.window.boxes.empty());
      }
    }
  }
}

TEST_F(BatchTest, AFolderNamedLikeTheInputCountsAsMissing) {
  OpenGate();
  fs::create_directories(Input());
  Start();
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, batch_msg::kInputMissing);
  EXPECT_TRUE(fs::is_directory(Input()));
}

TEST_F(BatchTest, AReadOnlyInputIsDeletedAfterItsConversion) {
  WriteBytes(Input(), Utf16Bytes("11\r\n"));
  fs::permissions(Input(),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  Start();
  EXPECT_EQ(ReadBytes(Output()), "3\r\n");
  EXPECT_FALSE(fs::exists(Input()));
}

TEST_F(BatchTest, AnUnwritableResultKeepsTheInput) {
  OpenGate();
  WriteBytes(Input(), Utf16Bytes("11\r\n"));
  fs::create_directories(Output());  // a folder stands where the result goes
  Start();
  EXPECT_EQ(window.endResult, -1);
  EXPECT_TRUE(fs::exists(Input()));
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, batch_msg::kOutputUnwritable);
  EXPECT_EQ(window.boxes[0].icon, MessageIcon::kError);
  EXPECT_EQ(window.beeps, 0);
}

TEST_F(BatchTest, AStartThatOutwaitsTheLockOfAnotherRunSaysSoAndKeepsTheInput) {
  OpenGate();
  WriteBytes(Input(), Utf16Bytes("11\r\n"));
  // Another run holds the lock.
  fs::create_directories(program.temp);
  const RunLock other(RunLockFileOf(TempDirOf(documents.u16string())),
                      std::chrono::milliseconds(0));
  ASSERT_TRUE(other.Held());
  dialog.SetBatchLockWait(std::chrono::milliseconds(50));
  Start();
  EXPECT_EQ(window.endResult, -1);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, u"別の自動処理が実行中のため、処理を中止します。");
  EXPECT_EQ(ReadBytes(Input()), Utf16Bytes("11\r\n"));
  EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(BatchTest, TheHandOffFolderAndTheSettingsFileStay) {
  WriteSettings("1\r\n1");
  WriteBytes(Input(), Utf16Bytes("1"));
  Start();
  EXPECT_TRUE(fs::is_directory(HandOff()));
  EXPECT_EQ(ReadBytes(SettingsFile()), "1\r\n1");
}

}  // namespace
