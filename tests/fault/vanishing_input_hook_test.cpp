// An input that the calling program deletes while a batch run examines it: right after each
// system call in which the run names the input (its existence and size checks, the open
// for reading, the checks before deleting it), in turn, until the run makes no further call.
// At every moment the run either converts what it read (complete result, input gone) or
// finds the input missing (earlier result untouched); nothing is left beside the result.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "tests/fault/system_call_hooks.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/text_bytes.h"
#include "ui/batch_messages.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMostCalls = 64;  // far more than a run makes

TEST(VanishingInputHookTest, TheInputVanishesAfterEachCallThatNamesIt) {
  const std::string earlier = "an earlier result";
  std::array<int, 2> outcomes{};  // converted, missing
  int moments = 0;
  for (int call = 1; call <= kMostCalls; ++call) {
    SCOPED_TRACE("deleted after call " + std::to_string(call));
    TempFolder temp;
    const fs::path documents = temp.path() / "Documents";
    const ProgramFolders program(documents);
    fs::create_directories(program.handOff);
    fs::create_directories(program.result);
    fs::create_directories(program.temp);
    WriteBytes(program.settings, "1\r\n1");
    WriteBytes(program.output, earlier);
    WriteBytes(program.input, Utf16Bytes("1010\r\n\r\n111\r\n"));

    DialogRig run(documents);
    hooks::DeleteAfterCall(program.input.string(), call);
    ASSERT_TRUE(run.dialog.OnInitDialog());
    const bool deletedByCaller = hooks::Deleted();
    hooks::DeleteAfterCall({}, 0);

    EXPECT_EQ(run.window.endResult, -1);
    EXPECT_FALSE(fs::exists(program.input));
    ASSERT_EQ(run.window.boxes.size(), 1u);
    const std::u16string& box = run.window.boxes[0].text;
    if (box == batch_msg::kCompleted) {
      ++outcomes[0];
      EXPECT_EQ(ReadBytes(program.output), "10\r\n7\r\n");
      EXPECT_EQ(run.window.beeps, 1);
    } else {
      ++outcomes[1];
      EXPECT_EQ(box, batch_msg::kInputMissing);
      EXPECT_EQ(ReadBytes(program.output), earlier);
      EXPECT_EQ(run.window.beeps, 0);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(program.result), {}), 1);
    if (!deletedByCaller) break;  // the run made fewer calls: every moment has been tried
    ++moments;
  }
  EXPECT_GE(moments, 3);
  EXPECT_GE(outcomes[0], 1);
  EXPECT_GE(outcomes[1], 1);
  std::printf("input deleted at %d moments: %d converted, %d found missing\n", moments,
              outcomes[0] - 1, outcomes[1]);
}

}  // namespace
