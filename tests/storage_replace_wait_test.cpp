// Replacing a file that another program reads at that moment (Windows only: elsewhere an open
// file never stands in the way of a rename). A reader that lets go soon must not make the
// replacement fail.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <iterator>
#include <thread>

#include "storage/file_access.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(ReplaceWaitTest, AReaderThatLetsGoSoonDoesNotMakeTheReplacementFail) {
  TempFolder folder;
  const fs::path target = folder.path() / "Ostrum.tbin";
  WriteBytes(target, "old\r\n");
  // A reader without delete sharing, as most programs open a file to read it.
  const HANDLE reader = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);

  std::future<bool> replaced = std::async(std::launch::async, [&] {
    FileReplacement replacement(target.u16string());
    return replacement.Write("new\r\n") && replacement.Commit();
  });
  // The new content is being written beside the target once a second entry shows.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (EntriesIn(folder.path()) < 2 && replaced.wait_for(1ms) != std::future_status::ready &&
         std::chrono::steady_clock::now() < deadline) {
  }
  // The reader finishes a moment after the replacement has begun.
  std::this_thread::sleep_for(300ms);
  CloseHandle(reader);

  ASSERT_EQ(replaced.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(replaced.get());
  EXPECT_EQ(ReadBytes(target), "new\r\n");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

}  // namespace
