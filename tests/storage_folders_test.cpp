// The program's folder and file paths below the Documents folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "storage/run_lock.h"
#include "storage/working_folders.h"
#include "tests/support/storage_test_support.h"
#include "tests/support/test_text.h"

namespace {

// `text` with every backslash replaced by the platform's separator.
std::u16string Sep(std::u16string text) {
  std::ranges::replace(text, u'\\', kPathSeparator);
  return text;
}

TEST(WorkingFolders, AppendTheLiteralsWithoutNormalising) {
  struct Case {
    std::u16string documents;
    std::u16string appData, result, temp, autoFile;
  };
  const Case cases[] = {
      {u"C:\\Users\\利用者\\Documents", u"C:\\Users\\利用者\\Documents\\Brindlecot\\Tavernic",
       u"C:\\Users\\利用者\\Documents\\Brindlecot\\Tavernic\\Result",
       u"C:\\Users\\利用者\\Documents\\Brindlecot\\Tavernic\\temp",
       u"C:\\Users\\利用者\\Documents\\Brindlecot\\Tavernic\\AutoFile"},
      {u"", u"\\Brindlecot\\Tavernic", u"\\Brindlecot\\Tavernic\\Result",
       u"\\Brindlecot\\Tavernic\\temp", u"\\Brindlecot\\Tavernic\\AutoFile"},
      {u"D\\", u"D\\\\Brindlecot\\Tavernic", u"D\\\\Brindlecot\\Tavernic\\Result",
       u"D\\\\Brindlecot\\Tavernic\\temp", u"D\\\\Brindlecot\\Tavernic\\AutoFile"},
  };
  for (const auto& c : cases) {
    const std::u16string documents = Sep(c.documents);
    EXPECT_EQ(AppDataDirOf(documents), Sep(c.appData)) << A(c.documents);
    EXPECT_EQ(ResultDirOf(documents), Sep(c.result)) << A(c.documents);
    EXPECT_EQ(TempDirOf(documents), Sep(c.temp)) << A(c.documents);
    EXPECT_EQ(AutoFileDirOf(documents), Sep(c.autoFile)) << A(c.documents);
  }
}

TEST(WorkingFolders, FileNames) {
  const std::u16string folder = Sep(u"X:\\f");
  EXPECT_EQ(SettingsFileOf(folder), Sep(u"X:\\f\\Pellow.tmp"));
  EXPECT_EQ(BatchInputFileOf(folder), Sep(u"X:\\f\\Quillet.tbin"));
  EXPECT_EQ(BatchOutputFileOf(folder), Sep(u"X:\\f\\Ostrum.tbin"));
  EXPECT_EQ(RunLockFileOf(folder), Sep(u"X:\\f\\AutoFile.lock"));
  EXPECT_EQ(SettingsFileOf(TempDirOf(u"")), Sep(u"\\Brindlecot\\Tavernic\\temp\\Pellow.tmp"));
}

class RunLockTest : public storage_test::TempFolderTest {};

TEST_F(RunLockTest, OneHolderAtATimeAndNoWaitForALockFileThatCannotBeMade) {
  storage_test::MakeFolders(At(u"temp"));
  const std::u16string path = At(u"temp/AutoFile.lock");
  {
    const RunLock first(path, std::chrono::milliseconds(0));
    ASSERT_TRUE(first.Held());
    // Another open of the file, even in this process, waits and gives up.
    const RunLock second(path, std::chrono::milliseconds(20));
    EXPECT_FALSE(second.Held());
  }
  {
    const RunLock again(path, std::chrono::milliseconds(0));
    EXPECT_TRUE(again.Held());
  }
#ifdef _WIN32
  EXPECT_EQ(storage_test::Listing(At(u"temp")), std::vector<std::u16string>{});  // gone with it
#endif
  // Neither a missing folder nor a folder in the lock file's place is waited for.
  storage_test::MakeFolders(At(u"temp/folder.lock"));
  constexpr std::chrono::seconds kLong{30};
  for (const std::u16string& unmakeable : {At(u"missing/AutoFile.lock"), At(u"temp/folder.lock")}) {
    const auto start = std::chrono::steady_clock::now();
    const RunLock lock(unmakeable, kLong);
    EXPECT_FALSE(lock.Held()) << A(unmakeable);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kLong) << A(unmakeable);
  }
}

}  // namespace
