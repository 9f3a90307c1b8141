// vornel-convert when memory runs out: each large allocation of a run fails in turn, and the
// run ends with exit code 7 and its message, the output as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/converter.h"
#include "tests/fault/allocation_failure.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr std::size_t kLarge = std::size_t{1} << 14;  // smaller than what a run allocates

TEST(ConverterMemoryTest, MemoryRunningOutAtAnyLargeAllocationWritesNothing) {
  TempFolder folder;
  const auto input = folder.path() / "in.txt";
  const auto output = folder.path() / "out.txt";
  std::string numbers;
  for (int k = 0; k < 400000; ++k) numbers += "1011\r\n";
  WriteBytes(input, numbers);
  int failures = 0;
  for (int skip = 0;; ++skip) {
    WriteBytes(output, "earlier");
    testing::internal::CaptureStderr();
    ArmAllocationFailure(kLarge, skip);
    const ExitCode code = RunConverter({input.u16string(), output.u16string()});
    const bool failed = DisarmAllocationFailure();
    const std::string error = testing::internal::GetCapturedStderr();
    if (!failed) {  // every large allocation has had its turn
      EXPECT_EQ(code, ExitCode::kConverted);
      EXPECT_NE(ReadBytes(output), "earlier");
      break;
    }
    ++failures;
    EXPECT_EQ(code, ExitCode::kOutOfMemory) << "large allocation " << skip;
    // In the language of this process's user.
    EXPECT_TRUE(error.starts_with("vornel-convert: out of memory") ||
                error.starts_with("vornel-convert: メモリが足りません。"))
        << error;
    EXPECT_EQ(ReadBytes(output), "earlier") << "large allocation " << skip;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
  }
  EXPECT_GE(failures, 2) << "the result and the helper thread's chunks each allocate";
}

}  // namespace
