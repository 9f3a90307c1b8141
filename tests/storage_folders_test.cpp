// The program's folder and file paths below the Documents folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "storage/working_folders.h"
#include "tests/test_text.h"

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
  EXPECT_EQ(SettingsFileOf(TempDirOf(u"")), Sep(u"\\Brindlecot\\Tavernic\\temp\\Pellow.tmp"));
}

}  // namespace
