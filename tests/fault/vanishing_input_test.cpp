// An input that the calling program deletes while a batch run works on it, at the moments
// the dialog's window services expose: before the start, and after the input was read and
// converted but before the run deletes it. Either way nothing is lost: the result is the
// complete conversion of what was read, or the earlier result stays.
#include <gtest/gtest.h>

#include "tests/support/dialog_fixture.h"
#include "tests/support/text_bytes.h"
#include "ui/batch_messages.h"

namespace fs = std::filesystem;

namespace {

// The fake window, with a calling program that acts when the run shows its wait cursor:
// the input has been read and converted then, and the result is not yet in place.
class WindowWithCaller : public FakeWindow {
 public:
  std::function<void()> whenBusy;
  void BeginWaitCursor() override {
    FakeWindow::BeginWaitCursor();
    if (whenBusy) whenBusy();
  }
};

TEST(VanishingInputTest, AnInputDeletedAfterItWasReadIsConvertedAndNotMissed) {
  DialogRigOn<WindowWithCaller> rig;
  const ProgramFolders& program = rig.program;
  fs::create_directories(program.handOff);
  fs::create_directories(program.temp);
  WriteBytes(program.settings, "1\r\n1");
  WriteBytes(program.output, "an earlier result");
  WriteBytes(program.input, Utf16Bytes("110\r\n1\r\n"));
  bool deleted = false;
  rig.window.whenBusy = [&] { deleted = fs::remove(program.input); };
  ASSERT_TRUE(rig.dialog.OnInitDialog());
  ASSERT_TRUE(deleted) << "the run never showed its wait cursor with the input in place";
  EXPECT_EQ(rig.window.endResult, -1);
  EXPECT_EQ(ReadBytes(program.output), "6\r\n1\r\n");
  EXPECT_FALSE(fs::exists(program.input));
  ASSERT_EQ(rig.window.boxes.size(), 1u);
  EXPECT_EQ(rig.window.boxes[0].text, batch_msg::kCompleted);
  EXPECT_EQ(std::distance(fs::directory_iterator(program.result), {}), 1);
}

}  // namespace
