// How the file routines meet another program that holds a file open (Windows only: the
// sharing modes of an open exist there alone).

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <string>

#include "storage/file_access.h"
#include "storage/settings.h"
#include "tests/support/storage_test_support.h"

namespace {

using storage_test::Listing;
using storage_test::ReadBytes;
using storage_test::ReplaceWith;
using storage_test::TempFolderTest;
using storage_test::WriteBytes;

// Another program's open handle on a file.
class Holder {
 public:
  Holder(const std::u16string& path, DWORD access, DWORD sharing) {
    const std::wstring wide(path.begin(), path.end());
    handle_ = CreateFileW(wide.c_str(), access, sharing, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~Holder() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  bool Holds() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class SharingTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    path_ = At(u"Quillet.tbin");
    WriteBytes(path_, std::string("\xFF\xFE"
                                  "1\0\n\0",
                                  6));
    content_ = ReadBytes(path_);
  }
  std::u16string path_;
  std::string content_;
};

TEST_F(SharingTest, AWriterElsewhereBlocksWritingAndDenyWriteReading) {
  Holder writer(path_, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_TRUE(writer.Holds());
  EXPECT_EQ(WriteTextFile(path_, "0"), 0);
  EXPECT_FALSE(ReadUnicodeTextFile(path_, true).has_value());
  SettingsState state;
  EXPECT_EQ(ReadSettingsText(state, path_), u"");
  // Reading that lets writers go on still works.
  EXPECT_EQ(ReadUnicodeTextFile(path_, false), u"1\r\n");
  EXPECT_EQ(ReadBytes(path_), content_);
}

TEST_F(SharingTest, AReaderThatSharesReadingBlocksOnlyWriting) {
  Holder reader(path_, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(reader.Holds());
  EXPECT_EQ(ReadUnicodeTextFile(path_, true), u"1\r\n");
  SettingsState state;
  EXPECT_EQ(ReadSettingsText(state, path_), u"\u00FF\u00FE1");  // up to the first NUL
  EXPECT_EQ(WriteTextFile(path_, "0"), 0);
  EXPECT_EQ(ReadBytes(path_), content_);
}

TEST_F(SharingTest, AnExclusiveHolderBlocksEveryRead) {
  Holder exclusive(path_, GENERIC_READ, 0);
  ASSERT_TRUE(exclusive.Holds());
  EXPECT_FALSE(ReadUnicodeTextFile(path_, false).has_value());
  EXPECT_FALSE(ReadUnicodeTextFile(path_, true).has_value());
}

TEST_F(SharingTest, AFailedReplacementLeavesTheOldFileAndNoTemporaryFile) {
  {
    // No delete sharing: the target cannot be replaced while this is open.
    Holder reader(path_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader.Holds());
    EXPECT_FALSE(ReplaceWith(path_, "new"));
  }
  EXPECT_EQ(ReadBytes(path_), content_);
  EXPECT_EQ(Listing(At()), std::vector<std::u16string>{u"Quillet.tbin"});
  EXPECT_TRUE(ReplaceWith(path_, "new"));
  EXPECT_EQ(ReadBytes(path_), "new");
}

// The routines add the long-path prefix themselves; the test checks with one of its own.
TEST_F(SharingTest, LongPathFilesAreTheRealFiles) {
  std::u16string path = At(u"l");
  ASSERT_TRUE(MakeDirectory(path));
  while (path.size() < 300) {
    path += u"\\" + std::u16string(60, u'd');
    ASSERT_TRUE(MakeDirectory(path));
  }
  path += u"\\Ostrum.tbin";
  ASSERT_EQ(WriteTextFile(path, "12\r\n"), 1);
  const std::wstring prefixed = L"\\\\?\\" + std::wstring(path.begin(), path.end());
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(prefixed.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 4u);
  EXPECT_EQ(DeleteDirectoryTree(At(u"l")), 1);
  EXPECT_EQ(GetFileAttributesW(prefixed.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
#endif
