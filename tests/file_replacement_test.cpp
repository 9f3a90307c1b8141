// A file replaced by content written in parts, and the split's progress steps at a stride.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "convert/split.h"
#include "storage/file_access.h"
#include "storage/platform.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_text.h"
#include "tuning/tuning.h"

namespace {

namespace fs = std::filesystem;

std::size_t EntriesIn(const fs::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

TEST(FileReplacement, PutsThePartsInPlaceOnlyAtCommit) {
  TempFolder folder;
  const fs::path target = folder.path() / "Ostrum.tbin";
  WriteBytes(target, "an earlier and longer result\r\n");
  {
    FileReplacement replacement(target.u16string());
    EXPECT_TRUE(replacement.Write("5\r\n"));
    EXPECT_TRUE(replacement.Write(""));
    EXPECT_TRUE(replacement.Write("3\r\n"));
    EXPECT_EQ(ReadBytes(target), "an earlier and longer result\r\n");  // not yet
    EXPECT_TRUE(replacement.Commit());
  }
  EXPECT_EQ(ReadBytes(target), "5\r\n3\r\n");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

TEST(FileReplacement, WithoutCommitOrOnFailureLeavesTheOldFileAndNothingBeside) {
  TempFolder folder;
  const fs::path target = folder.path() / "Ostrum.tbin";
  WriteBytes(target, "old\r\n");
  {
    FileReplacement replacement(target.u16string());
    EXPECT_TRUE(replacement.Write("new\r\n"));
    EXPECT_EQ(EntriesIn(folder.path()), 2u);  // the new content waits beside
  }
  EXPECT_EQ(ReadBytes(target), "old\r\n");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);

  FileReplacement missing((folder.path() / "missing" / "Ostrum.tbin").u16string());
  EXPECT_FALSE(missing.Write("new"));
  EXPECT_FALSE(missing.Commit());
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

// Content large enough to be pushed to the disk while it is written, committed or dropped.
TEST(FileReplacement, ContentFlushedWhileItIsWrittenIsPutInPlaceWholeOrNotAtAll) {
  std::string part(std::size_t{1} << 20, '\0');
  for (std::size_t k = 0; k < part.size(); ++k) part[k] = static_cast<char>('0' + k % 10);
  const int parts = static_cast<int>(3 * tuning::kStartFlushingBytes / part.size()) + 1;
  for (const bool commit : {true, false}) {
    TempFolder folder;
    const fs::path target = folder.path() / "Ostrum.tbin";
    WriteBytes(target, "old\r\n");
    std::string written;
    {
      FileReplacement replacement(target.u16string());
      for (int k = 0; k < parts; ++k) {
        part[0] = static_cast<char>('a' + k % 26);
        written += part;
        ASSERT_TRUE(replacement.Write(part));
      }
      EXPECT_TRUE(!commit || replacement.Commit());
    }
    EXPECT_TRUE(ReadBytes(target) == (commit ? written : "old\r\n")) << commit;
    EXPECT_EQ(EntriesIn(folder.path()), 1u) << commit;
  }
}

// The flusher's handle of a replacement's file: without one, everything is flushed at the end.
TEST(FileReplacement, ASecondHandleFlushesWhileTheFirstWrites) {
  TempFolder folder;
  const fs::path path = folder.path() / "Ostrum.tbin.part-1";
  {
    auto file = platform::NativeFile::Open(path.u16string(), platform::OpenMode::kWriteLetWriters);
    ASSERT_TRUE(file);
    auto flushing = file->OpenForFlushing();
    ASSERT_TRUE(flushing);
    EXPECT_TRUE(file->WriteAll("10\r\n"));
    EXPECT_TRUE(flushing->FlushToDisk());
    EXPECT_TRUE(file->WriteAll("2\r\n"));
  }
  EXPECT_EQ(ReadBytes(path), "10\r\n2\r\n");
}

TEST(SplitIntoNumberList, StepsAtAStrideAndAfterTheLastPosition) {
  for (std::int64_t cancelAt : {-1, 2, 7}) {
    std::u16string text = u"101\n11\n1\r\n";  // eight characters after the trim
    NumberValues list;
    std::int64_t count = 0;
    std::vector<std::int64_t> positions;
    const bool done = SplitIntoNumberList(
        text, list, count,
        [&](std::int64_t i) {
          positions.push_back(i);
          return i == cancelAt;
        },
        3);
    if (cancelAt < 0) {
      EXPECT_TRUE(done);
      EXPECT_EQ(positions, (std::vector<std::int64_t>{2, 5, 7}));
      EXPECT_EQ(Values(list), ValuesOf({"101", "11", "1"}));
      EXPECT_EQ(count, 3);
    } else {
      EXPECT_FALSE(done);
      EXPECT_EQ(positions.back(), cancelAt);
      EXPECT_TRUE(list.Empty());
      EXPECT_EQ(count, cancelAt == 2 ? 0 : 2);  // the index of the line being collected
    }
  }
}

}  // namespace
