// The hand-off run's outcomes without the dialog: what it reports, how many numbers it counts,
// and which files it leaves.
#include "pipeline/hand_off_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "storage/run_lock.h"
#include "storage/working_folders.h"
#include "tests/support/temp_folder.h"
#include "tests/support/text_bytes.h"

namespace fs = std::filesystem;

namespace {

struct Case {
  const char* name;
  std::optional<std::string> input;  // nullopt: none; "/": a folder of its name
  bool resultBlocked;                // a folder stands where the result goes
  bool lockHeld;                     // another run holds the lock
  HandOffOutcome outcome;
  std::int64_t numbers;
  std::optional<std::string> output;  // nullopt: the earlier result stays
};

TEST(HandOffRunTest, EachOutcomeLeavesItsFiles) {
  using enum HandOffOutcome;
  const std::string tooLong(32, '1');
  const Case cases[] = {
      {"converted", Utf16Bytes("101\r\n\r\n1"), false, false, kCompleted, 2, "5\r\n1\r\n"},
      {"no input", std::nullopt, false, false, kInputMissing, 0, std::nullopt},
      {"a folder for the input", "/", false, false, kInputMissing, 0, std::nullopt},
      {"no bytes", "", false, false, kInputEmpty, 0, std::nullopt},
      {"a foreign character", Utf16Bytes("1\r\n1x"), false, false, kInputForeign, 0, std::nullopt},
      {"a line too long", Utf16Bytes("1\r\n" + tooLong), false, false, kTooLong, 1, std::nullopt},
      {"a folder for the result", Utf16Bytes("1\r\n0"), true, false, kResultUnwritable, 2,
       std::nullopt},
      {"another run busy", Utf16Bytes("1"), false, true, kAnotherRunBusy, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder root;
    const HandOffFolders folders{(root.path() / "temp").u16string(),
                                 (root.path() / "AutoFile").u16string(),
                                 (root.path() / "Result").u16string()};
    for (const auto& folder : {folders.tempDir, folders.autoFileDir, folders.resultDir}) {
      fs::create_directories(fs::path(folder));
    }
    const fs::path input = fs::path(BatchInputFileOf(folders.autoFileDir));
    const fs::path output = fs::path(BatchOutputFileOf(folders.resultDir));
    if (c.input == "/") fs::create_directories(input);
    if (c.input && c.input != "/") WriteBytes(input, *c.input);
    if (c.resultBlocked) {
      fs::create_directories(output);
    } else {
      WriteBytes(output, "earlier");
    }
    std::optional<RunLock> other;
    if (c.lockHeld) other.emplace(RunLockFileOf(folders.tempDir), std::chrono::milliseconds(0));

    int converted = 0;
    const HandOffResult run =
        RunHandOff(folders, std::chrono::milliseconds(20), [&] { ++converted; });
    EXPECT_EQ(run.outcome, c.outcome);
    EXPECT_EQ(run.numbers, c.numbers);
    EXPECT_EQ(converted, c.numbers > 0 ? 1 : 0) << "told once the input is converted";
    EXPECT_EQ(fs::exists(input), c.outcome != kCompleted && c.input.has_value());
    if (!c.resultBlocked) {
      EXPECT_EQ(ReadBytes(output), c.output.value_or("earlier"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(folders.resultDir)), {}), 1)
        << "nothing beside the result";
    // The lock is free again.
    other.reset();
    EXPECT_TRUE(RunLock(RunLockFileOf(folders.tempDir), std::chrono::milliseconds(0)).Held());
  }
}

}  // namespace
