// Memory running out in the middle of Read file and of a batch run: each large allocation of
// the step fails in turn, and the dialog and the files stay as they were.
#include <gtest/gtest.h>

#include "tests/dialog_fixture.h"
#include "tests/fault/allocation_failure.h"
#include "tests/test_text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLarge = std::size_t{1} << 16;  // smaller than what the steps allocate
const std::u16string kOutOfMemory = u"メモリが不足しているため、処理を中止します。";

// Numbers enough that the text and the result take several large allocations.
std::string ManyNumbers() {
  std::string text;
  for (int i = 0; i < 60000; ++i) text += "1011\r\n";
  return text;
}

struct ReadCase {
  const char* name;
  std::string before;  // the file read before the failing one
};

TEST(OutOfMemoryTest, ReadFileIsAllOrNothing) {
  const ReadCase cases[] = {{"after a text", "101\r\n"}, {"after an empty file", ""}};
  for (const auto& c : cases) {
    int failures = 0;
    for (int skip = 0;; ++skip) {
      SCOPED_TRACE(std::string(c.name) + ", large allocation " + std::to_string(skip));
      DialogRig rig;
      rig.Start();
      const fs::path before = rig.temp.path() / "before.txt";
      const fs::path after = rig.temp.path() / "after.txt";
      WriteBytes(before, Utf16Bytes(c.before));
      WriteBytes(after, Utf16Bytes(ManyNumbers()));
      rig.window.controls[IDC_BROWSE_FILE].text = before.u16string();
      ASSERT_TRUE(rig.window.Click(IDC_BTN_READ_FILE));
      const std::u16string shown = rig.window[IDC_EDIT_FILE_TEXT].text;
      const bool convertShown = rig.window[IDC_BTN_CONVERT_FILE].visible;

      rig.window.controls[IDC_BROWSE_FILE].text = after.u16string();
      ArmAllocationFailure(kLarge, skip);
      rig.window.Click(IDC_BTN_READ_FILE);
      if (!DisarmAllocationFailure()) {  // every large allocation has had its turn
        EXPECT_EQ(rig.conversion.LoadedText, U(ManyNumbers()));
        EXPECT_EQ(rig.window[IDC_EDIT_FILE_TEXT].text, U(ManyNumbers()));
        break;
      }
      ++failures;
      ASSERT_EQ(rig.window.boxes.size(), 1u);
      EXPECT_EQ(rig.window.boxes[0].text, kOutOfMemory);
      EXPECT_EQ(rig.window[IDC_EDIT_FILE_TEXT].text, shown);
      EXPECT_EQ(rig.conversion.LoadedText, shown);
      EXPECT_EQ(rig.window[IDC_BTN_CONVERT_FILE].visible, convertShown);
    }
    EXPECT_GE(failures, 2) << "the read and the shown text each allocate";
  }
}

TEST(OutOfMemoryTest, ABatchRunSaysSoAndKeepsTheInput) {
  const std::string input = Utf16Bytes(ManyNumbers());
  int failures = 0;
  for (int skip = 0;; ++skip) {
    SCOPED_TRACE("large allocation " + std::to_string(skip));
    DialogRig rig;
    fs::create_directories(rig.HandOff());
    fs::create_directories(rig.Output().parent_path());
    // Messages shown, without a settings file, whose reading takes a large buffer of its own.
    rig.window.controls[IDC_CHK_MESSAGES].check = 1;
    WriteBytes(rig.Input(), input);
    ArmAllocationFailure(kLarge, skip);
    rig.Start();
    if (!DisarmAllocationFailure()) {
      EXPECT_FALSE(fs::exists(rig.Input()));
      EXPECT_EQ(ReadBytes(rig.Output()).size(), 60000u * 4);  // "11" CR LF a line
      break;
    }
    ++failures;
    EXPECT_EQ(rig.window.endResult, -1);
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].text, kOutOfMemory);
    EXPECT_EQ(rig.window.boxes[0].icon, MessageIcon::kError);
    EXPECT_EQ(ReadBytes(rig.Input()), input);
    EXPECT_TRUE(fs::is_empty(rig.Output().parent_path())) << "no result, nothing beside it";
  }
  EXPECT_GE(failures, 1);
}

}  // namespace
