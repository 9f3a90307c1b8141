// Reading a file, converting it with progress and Cancel, and saving the results.
#include <gtest/gtest.h>

#include <chrono>

#include "convert/binary.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/test_text.h"
#include "tests/support/text_bytes.h"
#include "ui/messages.h"
#include "ui/progress.h"

namespace fs = std::filesystem;

namespace {

// Controls disabled while a file conversion runs.
const int kLockedDuringRun[] = {IDC_CHK_AUTO,    IDC_CHK_MESSAGES,  IDC_BTN_VERSION,
                                IDC_BTN_CONVERT, IDC_BTN_READ_FILE, IDC_BTN_CONVERT_FILE,
                                IDC_BTN_SAVE,    IDC_EDIT_BINARY,   IDC_BROWSE_FILE};

// Entries of the numbers split last; none before a split.
std::int64_t Entries(const ConversionState& conversion) {
  return conversion.NumberList ? conversion.NumberList->Size() : 0;
}

class FileConversionTest : public DialogTest {
 protected:
  // Starts the dialog and reads a UTF-16LE file holding `ascii`.
  void StartAndRead(const std::string& ascii) {
    Start();
    Read(ascii);
  }
  void Read(const std::string& ascii) {
    const fs::path file = temp.path() / "numbers.txt";
    WriteBytes(file, Utf16Bytes(ascii));
    window.controls[IDC_BROWSE_FILE].text = file.u16string();
    ASSERT_TRUE(window.Click(IDC_BTN_READ_FILE));
  }
  // Opens the message gate as a settings file "1" CR LF "1" and a checked box do.
  void OpenGate() { window.controls[IDC_CHK_MESSAGES].check = 1; }

  void ExpectIdle() {
    EXPECT_FALSE(window.waitCursor);
    EXPECT_TRUE(window[IDC_BTN_EXIT].enabled);
    EXPECT_FALSE(window[IDC_EDIT_PROGRESS].visible);
    EXPECT_EQ(window[IDC_EDIT_PROGRESS].text, u"");
    EXPECT_FALSE(window[IDC_PROGRESS].visible);
    EXPECT_EQ(window[IDC_PROGRESS].pos, 0);
    EXPECT_FALSE(window[IDC_BTN_CANCEL].visible);
    for (int id : kLockedDuringRun) EXPECT_TRUE(window[id].enabled) << id;
  }
};

TEST(ProgressPercent, DividesFirstAndTruncates) {
  const struct {
    std::int64_t pos, max;
    int percent;
  } cases[] = {{29, 100, 28},
               {29, 50, 57},
               {6, 9, 66},
               {0, 18, 0},
               {1, 18, 5},
               {10, 9, 111},
               {9, 9, 100},
               {2'100'000'000, 2'100'000'003, 99},
               {3'000'000'000'000, 6'000'000'000'000, 50}};
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressPercent(c.pos, c.max), c.percent) << c.pos << "/" << c.max;
  }
  EXPECT_EQ(ProgressText(66), u"進捗率　66 %");
}

TEST_F(FileConversionTest, ReadingShowsTheTextAndTheConvertButton) {
  StartAndRead("101\r\n11");
  EXPECT_EQ(window[IDC_EDIT_FILE_TEXT].text, u"101\r\n11\r\n");
  EXPECT_EQ(conversion.LoadedText, u"101\r\n11\r\n");
  EXPECT_TRUE(window[IDC_BTN_CONVERT_FILE].visible);
  EXPECT_TRUE(window.boxes.empty());
}

TEST_F(FileConversionTest, ReadingAnEmptyFileLeavesTheConvertButtonHidden) {
  StartAndRead("");
  EXPECT_EQ(window[IDC_EDIT_FILE_TEXT].text, u"");
  EXPECT_FALSE(window[IDC_BTN_CONVERT_FILE].visible);
}

TEST_F(FileConversionTest, ReadFileRefusesAnEmptyOrUnreadablePath) {
  Start();
  Read("1");
  const struct {
    std::u16string path;
    std::u16string_view message;
  } cases[] = {
      {u"", msg::kNoFileChosen},
      {(temp.path() / "missing.txt").u16string(), msg::kFileUnreadable},
      {temp.u16(), msg::kFileUnreadable},  // a folder
  };
  for (const auto& c : cases) {
    window.boxes.clear();
    window.controls[IDC_BROWSE_FILE].text = c.path;
    window.Click(IDC_BTN_READ_FILE);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, c.message);
    EXPECT_EQ(window.boxes[0].icon, MessageIcon::kError);
    EXPECT_EQ(conversion.LoadedText, u"1\r\n");  // nothing changed
    EXPECT_EQ(window[IDC_EDIT_FILE_TEXT].text, u"1\r\n");
  }
}

TEST_F(FileConversionTest, ConvertFileDataRefusesTexts) {
  Start();
  const struct {
    std::u16string shown;
    std::u16string_view message;
  } cases[] = {
      {u"", msg::kNoFileLoaded},
      {u"\r\n", msg::kOnlyLineBreaks},
      {u"\n", msg::kOnlyLineBreaks},
      {u"101\r\n2\r\n", msg::kForeignCharacters},
      {u"1 0\r\n", msg::kForeignCharacters},
      {u"１\r\n", msg::kForeignCharacters},
  };
  window.controls[IDC_BTN_CONVERT_FILE].visible = true;
  window.controls[IDC_EDIT_RESULT].text = u"earlier";
  for (const auto& c : cases) {
    window.boxes.clear();
    window.controls[IDC_EDIT_FILE_TEXT].text = c.shown;
    window.Click(IDC_BTN_CONVERT_FILE);
    ASSERT_EQ(window.boxes.size(), 1u) << A(c.shown);
    EXPECT_EQ(window.boxes[0].text, c.message);
    EXPECT_EQ(window.boxes[0].icon, MessageIcon::kError);
    EXPECT_EQ(window.pumps, 0);
    EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"earlier");
  }
}

TEST_F(FileConversionTest, TheWorkedExampleStepsThroughItsPercentages) {
  StartAndRead("101");  // read as 101 CR LF: five characters, one number
  OpenGate();
  window.Click(IDC_BTN_CONVERT_FILE);
  const std::vector<std::u16string> expected = {u"進捗率　0 %",  u"進捗率　5 %",  u"進捗率　11 %",
                                                u"進捗率　66 %", u"進捗率　88 %", u"進捗率　100 %",
                                                u"進捗率　111 %"};
  EXPECT_EQ(window.progressTexts, expected);
  EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"5\r\n");
  EXPECT_EQ(conversion.LoadedText, u"101");
  EXPECT_EQ(window.beeps, 1);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, msg::kCompleted);
  EXPECT_EQ(window.boxes[0].icon, MessageIcon::kInformation);
  ExpectIdle();
}

TEST_F(FileConversionTest, ControlsAreLockedWhileTheRunIsUnderWay) {
  StartAndRead("101\r\n1\r\n");
  window.controls[IDC_CHK_AUTO].check = 1;
  folders.AutoProcessingOn = 1;
  OpenGate();
  int checkedPumps = 0;
  window.onPump = [&](int) {
    ++checkedPumps;
    EXPECT_TRUE(window.waitCursor);
    EXPECT_FALSE(window[IDC_BTN_EXIT].enabled);
    EXPECT_TRUE(window[IDC_BTN_CANCEL].visible);
    EXPECT_TRUE(window[IDC_BTN_CANCEL].enabled);
    EXPECT_TRUE(window[IDC_PROGRESS].visible);
    EXPECT_TRUE(window[IDC_EDIT_PROGRESS].visible);
    EXPECT_EQ(window[IDC_CHK_AUTO].check, 0);
    for (int id : kLockedDuringRun) EXPECT_FALSE(window[id].enabled) << id;
    // A click on a locked button does nothing, and neither does a close request.
    EXPECT_FALSE(window.Click(IDC_BTN_CONVERT_FILE));
    dialog.OnCancel();
  };
  // The completion message comes while the controls are still locked.
  window.onMessageBox = [&](const FakeWindow::Box&) {
    EXPECT_TRUE(window[IDC_BTN_CANCEL].visible);
    EXPECT_FALSE(window[IDC_BTN_SAVE].enabled);
    EXPECT_TRUE(window[IDC_BTN_EXIT].enabled);
    dialog.OnCancel();
  };
  window.Click(IDC_BTN_CONVERT_FILE);
  EXPECT_EQ(checkedPumps, 6 + 2 + 3);  // six characters, two numbers, three closing steps
  EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"5\r\n1\r\n");
  EXPECT_EQ(window[IDC_CHK_AUTO].check, 0);
  EXPECT_EQ(folders.AutoProcessingOn, 1);
  EXPECT_FALSE(window.endResult.has_value());
  ExpectIdle();
}

struct CancelCase {
  const char* phase;
  int atPump;
  bool resultsPlaced;
  std::int64_t entries;
};

TEST_F(FileConversionTest, CancelEndsTheRunInEveryPhase) {
  // "101 CR LF 11 CR LF": seven characters after the trim, two numbers, three closing steps.
  const CancelCase cases[] = {
      {"splitting", 1, false, 0},      {"splitting, last character", 7, false, 0},
      {"converting", 8, false, 2},     {"closing step 1", 10, false, 2},
      {"closing step 2", 11, true, 2}, {"closing step 3", 12, true, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.phase);
    window.boxes.clear();
    window.pumps = 0;
    window.beeps = 0;
    window.controls[IDC_EDIT_RESULT].text = u"earlier";
    Start();
    Read("101\r\n11\r\n");
    OpenGate();
    window.onPump = [&](int pump) {
      if (pump == c.atPump) {
        EXPECT_TRUE(window.Click(IDC_BTN_CANCEL));
      }
    };
    window.Click(IDC_BTN_CONVERT_FILE);
    window.onPump = nullptr;
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, msg::kCancelClicked);
    EXPECT_EQ(window.boxes[0].icon, MessageIcon::kInformation);
    EXPECT_EQ(window.pumps, c.atPump);  // the run ended at the step of the click
    EXPECT_EQ(window.beeps, 0);
    EXPECT_EQ(window[IDC_EDIT_RESULT].text, c.resultsPlaced ? u"5\r\n3\r\n" : u"earlier");
    EXPECT_EQ(Entries(conversion), c.entries);
    EXPECT_EQ(conversion.CancelFlag, 1);
    ExpectIdle();
  }
}

TEST_F(FileConversionTest, TheCancelFlagIsSetOnlyAfterItsMessageIsClosed) {
  StartAndRead("1\r\n");
  std::int32_t flagWhileBoxUp = -1;
  window.onMessageBox = [&](const FakeWindow::Box&) { flagWhileBoxUp = conversion.CancelFlag; };
  window.onPump = [&](int pump) {
    if (pump == 1) window.Click(IDC_BTN_CANCEL);
  };
  window.Click(IDC_BTN_CONVERT_FILE);
  EXPECT_EQ(flagWhileBoxUp, 0);
  EXPECT_EQ(conversion.CancelFlag, 1);
}

TEST_F(FileConversionTest, ALineOverThirtyOneCharactersStopsTheRunBeforeAnyConversion) {
  for (bool gateOpen : {true, false}) {
    SCOPED_TRACE(gateOpen);
    window.boxes.clear();
    window.beeps = 0;
    window.controls[IDC_EDIT_RESULT].text = u"earlier";
    Start();
    Read("1\r\n" + std::string(31, '1') + "\r\n" + std::string(32, '0') + "\r\n");
    window.controls[IDC_CHK_MESSAGES].check = gateOpen ? 1 : 0;
    bool lockedWhileBoxUp = false;
    window.onMessageBox = [&](const FakeWindow::Box&) {
      lockedWhileBoxUp = !window[IDC_BTN_EXIT].enabled && window[IDC_BTN_CANCEL].visible;
    };
    window.Click(IDC_BTN_CONVERT_FILE);
    if (gateOpen) {
      ASSERT_EQ(window.boxes.size(), 1u);
      EXPECT_EQ(window.boxes[0].text, kLimitMessage);
      EXPECT_EQ(window.boxes[0].icon, MessageIcon::kError);
      EXPECT_TRUE(lockedWhileBoxUp);
    } else {
      EXPECT_TRUE(window.boxes.empty());
    }
    EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"earlier");
    EXPECT_EQ(window.beeps, 0);
    ExpectIdle();
  }
}

TEST_F(FileConversionTest, AClosedGateLeavesOnlyTheBeep) {
  WriteSettings("1\r\n0");
  StartAndRead("1\r\n");
  window.controls[IDC_CHK_MESSAGES].check = 1;  // checked, but the file's second line is "0"
  window.Click(IDC_BTN_CONVERT_FILE);
  EXPECT_TRUE(window.boxes.empty());
  EXPECT_EQ(window.beeps, 1);
  EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"1\r\n");
}

TEST_F(FileConversionTest, OnlyBlankLinesGiveAnEmptyResult) {
  StartAndRead("\r\n\r\n");  // two empty lines
  OpenGate();
  window.controls[IDC_EDIT_RESULT].text = u"earlier";
  window.Click(IDC_BTN_CONVERT_FILE);
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, msg::kCompleted);
  EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"");
  EXPECT_EQ(window.progressTexts.size(), 3u);  // only the closing steps
}

TEST_F(FileConversionTest, ASecondRunOfTheSameReadWorksOnTheTrimmedText) {
  StartAndRead("10\r\n\r\n");
  window.Click(IDC_BTN_CONVERT_FILE);
  const auto firstRanges = window.progressTexts;
  window.progressTexts.clear();
  window.controls[IDC_EDIT_RESULT].text = u"";
  window.Click(IDC_BTN_CONVERT_FILE);
  EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"2\r\n");
  EXPECT_EQ(conversion.LoadedText, u"10");
  // The second run's maxima come from the trimmed length (2 instead of 6 characters).
  EXPECT_EQ(window.progressTexts.front(), u"進捗率　0 %");
  EXPECT_EQ(window.progressTexts[1], u"進捗率　11 %");  // 1 of 3 * (2 + 1)
  EXPECT_EQ(firstRanges[1], u"進捗率　4 %");            // 1 of 3 * (6 + 1)
}

TEST_F(FileConversionTest, ThrottledProgressShowsLittleAndStillEndsAtFullAndCancels) {
  std::string text;
  std::string expected;
  for (int k = 0; k < 200000; ++k) {
    text += "1011\r\n";
    expected += "11\r\n";
  }
  StartAndRead(text);
  dialog.SetProgressThrottling(true);
  // Time passes 10 ms at every look at the clock: the pump is due at every second look.
  auto now = std::chrono::steady_clock::now();
  dialog.SetProgressClock([&] { return now += std::chrono::milliseconds(10); });
  window.Click(IDC_BTN_CONVERT_FILE);
  EXPECT_EQ(A(window[IDC_EDIT_RESULT].text), expected);
  EXPECT_LE(window.progressTexts.size(), 110u);
  EXPECT_GE(window.pumps, 2);
  EXPECT_LE(window.pumps, 400);
  ASSERT_GE(window.progressTexts.size(), 3u);
  EXPECT_EQ(window.progressTexts[window.progressTexts.size() - 2], u"進捗率　100 %");
  ExpectIdle();

  window.controls[IDC_EDIT_RESULT].text = u"earlier";
  window.onPump = [&](int) { window.Click(IDC_BTN_CANCEL); };
  window.Click(IDC_BTN_CONVERT_FILE);
  EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"earlier");
  // The first pump comes after a while: in the splitting, which leaves no numbers, or later,
  // when all of them are there.
  EXPECT_TRUE(Entries(conversion) == 0 || Entries(conversion) == 200000) << Entries(conversion);
  ExpectIdle();
}

TEST_F(FileConversionTest, AThrottledRunShorterThanThePumpIntervalShowsOnlyItsEnd) {
  StartAndRead("1011\r\n1\r\n");
  dialog.SetProgressThrottling(true);
  const auto now = std::chrono::steady_clock::now();
  dialog.SetProgressClock([&] { return now; });  // the run takes no time at all
  window.onPump = [&](int) { window.Click(IDC_BTN_CANCEL); };
  window.Click(IDC_BTN_CONVERT_FILE);
  EXPECT_EQ(window.pumps, 0);  // no pump, so no click could come in
  EXPECT_EQ(window[IDC_EDIT_RESULT].text, u"11\r\n1\r\n");
  ASSERT_GE(window.progressTexts.size(), 2u);
  EXPECT_EQ(window.progressTexts[window.progressTexts.size() - 2], u"進捗率　100 %");
  ExpectIdle();
}

TEST_F(FileConversionTest, SaveWritesExactlyTheResults) {
  StartAndRead("101");
  window.Click(IDC_BTN_CONVERT_FILE);
  const fs::path target = temp.path() / "results";
  WriteBytes(target, "an earlier, longer file");
  window.saveAnswers.emplace_back(target.u16string());
  window.Click(IDC_BTN_SAVE);
  EXPECT_EQ(ReadBytes(target), "5\r\n");
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, msg::kSaved);
  EXPECT_EQ(window.boxes[0].icon, MessageIcon::kInformation);
  ASSERT_TRUE(window.lastSaveOptions);
  EXPECT_TRUE(window.lastSaveOptions->confirmOverwrite);
  ASSERT_EQ(window.lastSaveOptions->fileTypes.size(), 1u);
  EXPECT_EQ(window.lastSaveOptions->fileTypes[0].name, u"全て(*.*)");
  EXPECT_EQ(window.lastSaveOptions->fileTypes[0].pattern, u"*.*");
  EXPECT_EQ(window.lastSaveOptions->defaultExtension, u"");
  EXPECT_EQ(window.lastSaveOptions->initialName, u"");
}

TEST_F(FileConversionTest, SaveReportsEveryFailure) {
  Start();
  window.Click(IDC_BTN_SAVE);  // nothing computed yet: no dialog
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].text, msg::kNothingToSave);
  EXPECT_FALSE(window.lastSaveOptions);

  window.controls[IDC_EDIT_RESULT].text = u"5\r\n";
  const std::optional<std::u16string> answers[] = {
      std::nullopt,                                          // the user cancels
      (temp.path() / "no-such-folder" / "out").u16string(),  // cannot be written
      temp.u16(),                                            // a folder
  };
  for (const auto& answer : answers) {
    window.boxes.clear();
    window.saveAnswers.push_back(answer);
    window.Click(IDC_BTN_SAVE);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, msg::kSaveFailed);
    EXPECT_EQ(window.boxes[0].icon, MessageIcon::kError);
  }
  EXPECT_FALSE(fs::exists(temp.path() / "no-such-folder"));
}

}  // namespace
