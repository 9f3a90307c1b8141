// Looking up the current user's Documents folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "storage/file_access.h"
#include "tests/support/storage_test_support.h"
#include "tests/support/test_text.h"

namespace {

using storage_test::MakeFolders;
using storage_test::TempFolderTest;
using storage_test::WriteBytes;

#ifdef _WIN32
TEST(DocumentsFolderTest, NamesAnExistingFolder) {
  const std::u16string documents = DocumentsFolder();
  ASSERT_GE(documents.size(), 3u);
  EXPECT_EQ(documents.substr(1, 2), u":\\");
  EXPECT_EQ(DirectoryExists(documents), 1);
}
#else
// The lookup reads XDG_DOCUMENTS_DIR from user-dirs.dirs; the environment is restored after.
class DocumentsFolderLookup : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    TempFolderTest::TearDown();
  }
  std::vector<std::pair<std::string, std::optional<std::string> > > saved_;
};

TEST_F(DocumentsFolderLookup, FollowsUserDirsWithHomeSubstituted) {
  struct Case {
    const char* name;
    std::optional<std::string> userDirs;  // content of the file, nullopt: no file
    bool inXdgConfigHome;                 // else in $HOME/.config
    std::u16string expected;              // "~" stands for $HOME
  };
  const Case cases[] = {
      {"no file", std::nullopt, true, u"~/Documents"},
      {"home entry", "XDG_DOCUMENTS_DIR=\"$HOME/書類\"\n", true, u"~/書類"},
      {"default config folder", "XDG_DOCUMENTS_DIR=\"$HOME/書類\"\n", false, u"~/書類"},
      {"absolute entry among others",
       "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_DOCUMENTS_DIR = \"/srv/docs/\"\n", true,
       u"/srv/docs"},
      {"escaped quotes", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", true, u"~/My \"Docs\""},
      {"relative entry ignored", "XDG_DOCUMENTS_DIR=\"docs\"\n", true, u"~/Documents"},
      {"other variable ignored", "XDG_DOCUMENTS_DIRS=\"/x\"\n", true, u"~/Documents"},
      {"$HOMEX is no home", "XDG_DOCUMENTS_DIR=\"$HOMEX/y\"\n", true, u"~/Documents"},
      {"unclosed quote ignored", "XDG_DOCUMENTS_DIR=\"/x\n", true, u"~/Documents"},
      {"no entry", "XDG_MUSIC_DIR=\"$HOME/Music\"\n", true, u"~/Documents"},
  };
  const std::u16string home = At(u"ホーム");
  const std::u16string config = At(u"config");
  MakeFolders(home + u"/.config");
  MakeFolders(config);
  setenv("HOME", storage_test::Native(home).c_str(), 1);
  for (const auto& c : cases) {
    std::filesystem::remove(storage_test::Native(config + u"/user-dirs.dirs"));
    std::filesystem::remove(storage_test::Native(home + u"/.config/user-dirs.dirs"));
    if (c.inXdgConfigHome) {
      setenv("XDG_CONFIG_HOME", storage_test::Native(config).c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    const std::u16string folder = c.inXdgConfigHome ? config : home + u"/.config";
    if (c.userDirs) WriteBytes(folder + u"/user-dirs.dirs", *c.userDirs);
    std::u16string expected = c.expected;
    if (expected.starts_with(u'~')) expected.replace(0, 1, home);
    EXPECT_EQ(DocumentsFolder(), expected) << c.name;
  }
  unsetenv("HOME");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DocumentsFolder(), u"");
}
#endif

}  // namespace
