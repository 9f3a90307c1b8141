// A run that was killed or crashed leaves its unfinished result beside the result file. The
// next run that writes a result removes such files, and nothing else.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/dialog_fixture.h"
#include "tests/support/text_bytes.h"
#include "ui/batch_messages.h"

namespace fs = std::filesystem;

namespace {

TEST(LeftoverResultTest, TheNextRunRemovesUnfinishedResultsOfEarlierRuns) {
  DialogRig run;
  const ProgramFolders& program = run.program;
  fs::create_directories(program.handOff);
  fs::create_directories(program.result);
  for (const char* leftover : {"Ostrum.tbin.part-123", "Ostrum.tbin.part-4294967295"}) {
    WriteBytes(program.result / leftover, "an unfinished result\r\n");
  }
  const std::set<std::string> others = {"Ostrum.tbin.part-",   "Ostrum.tbin.part-12a",
                                        "Ostrum.tbin.partial", "Other.tbin.part-1",
                                        "Ostrum.tbin.part-9",  "ostrum.tbin.copy"};
  for (const std::string& name : others) {
    if (name == "Ostrum.tbin.part-9") {
      fs::create_directories(program.result / name / "inside");
    } else {
      WriteBytes(program.result / name, "not a result of this program");
    }
  }
  WriteBytes(program.input, Utf16Bytes("11\r\n"));
  ASSERT_TRUE(run.dialog.OnInitDialog());
  EXPECT_EQ(ReadBytes(program.output), "3\r\n");
  EXPECT_FALSE(fs::exists(program.input));
  std::set<std::string> expected = others;
  expected.insert("Ostrum.tbin");
  EXPECT_EQ(NamesIn(program.result), std::vector<std::string>(expected.begin(), expected.end()));
  EXPECT_TRUE(fs::is_directory(program.result / "Ostrum.tbin.part-9" / "inside"));
}

}  // namespace
