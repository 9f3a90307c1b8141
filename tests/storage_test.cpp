// The file routines against real folders: writing, replacing, status and folder creation.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "storage/file_access.h"
#include "tests/support/storage_test_support.h"
#include "tests/support/test_text.h"

namespace {

using storage_test::Listing;
using storage_test::MakeFolders;
using storage_test::Present;
using storage_test::ReadBytes;
using storage_test::ReplaceWith;
using storage_test::TempFolderTest;
using storage_test::WriteBytes;

class FileAccessTest : public TempFolderTest {};

// Status of `path`, or a missing file's empty status.
FileStatus StatusOf(const std::u16string& path) {
  const auto status = GetFileStatus(path);
  EXPECT_TRUE(status.has_value()) << "no status";
  return status.value_or(FileStatus{});
}

TEST_F(FileAccessTest, LeavesExactlyTheNewBytes) {
  struct Case {
    const char* name;
    std::optional<std::string> before;
    std::string text;
  };
  const Case cases[] = {
      {"new file", std::nullopt, "1\r\n1"},
      {"new file, empty text", std::nullopt, ""},
      {"longer file is cut", std::string("1234567890\r\n"), "42\r\n"},
      {"shorter file grows", std::string("9"), "1\r\n0"},
      {"existing file emptied", std::string("abc"), ""},
      {"ANSI bytes above 0x7F", std::nullopt, "\x82\xA0\xFF\r\n"},
      {"large text", std::string(70000, 'x'), std::string(3'000'000, '1')},
  };
  for (const auto& c : cases) {
    const std::u16string path = At(u"結果.tbin");
    if (c.before) {
      WriteBytes(path, *c.before);
    } else {
      std::filesystem::remove(storage_test::Native(path));
    }
    EXPECT_EQ(WriteTextFile(path, c.text), 1) << c.name;
    EXPECT_TRUE(Present(path)) << c.name;
    EXPECT_EQ(ReadBytes(path), c.text) << c.name;
  }
}

TEST_F(FileAccessTest, FailsWithoutCreatingAnything) {
  MakeFolders(At(u"folder/inner"));
  WriteBytes(At(u"file"), "keep");
  EXPECT_EQ(WriteTextFile(At(u"missing/out.tbin"), "1"), 0);
  EXPECT_FALSE(Present(At(u"missing")));
  EXPECT_EQ(WriteTextFile(At(u"folder"), "1"), 0);
  EXPECT_EQ(Listing(At(u"folder")), std::vector<std::u16string>{u"inner"});
  EXPECT_EQ(WriteTextFile(At(u"file/below"), "1"), 0);
  EXPECT_EQ(ReadBytes(At(u"file")), "keep");
  EXPECT_EQ(WriteTextFile(std::u16string(u"nul\0name", 8), "1"), 0);
  EXPECT_EQ(Listing(At()), (std::vector<std::u16string>{u"file", u"folder"}));
}

TEST_F(FileAccessTest, PutsTheNewContentInPlaceAndLeavesNothingBeside) {
  const std::u16string path = At(u"Ostrum.tbin");
  ASSERT_TRUE(ReplaceWith(path, "5\r\n"));
  EXPECT_EQ(ReadBytes(path), "5\r\n");
  WriteBytes(path, std::string(5000, '9'));
  ASSERT_TRUE(ReplaceWith(path, "1\r\n2\r\n"));
  EXPECT_EQ(ReadBytes(path), "1\r\n2\r\n");
  ASSERT_TRUE(ReplaceWith(path, ""));
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_EQ(Listing(At()), std::vector<std::u16string>{u"Ostrum.tbin"});
}

TEST_F(FileAccessTest, OnFailureKeepsTheOldStateAndRemovesItsTemporaryFile) {
  MakeFolders(At(u"target"));
  WriteBytes(At(u"target/old.txt"), "old");
  EXPECT_FALSE(ReplaceWith(At(u"target"), "new"));
  EXPECT_EQ(ReadBytes(At(u"target/old.txt")), "old");
  EXPECT_EQ(Listing(At(u"target")), std::vector<std::u16string>{u"old.txt"});
  EXPECT_FALSE(ReplaceWith(At(u"missing/Ostrum.tbin"), "new"));
  EXPECT_FALSE(Present(At(u"missing")));
  EXPECT_EQ(Listing(At()), std::vector<std::u16string>{u"target"});
}

TEST_F(FileAccessTest, TellsFilesFromFoldersAndMissingPaths) {
  MakeFolders(At(u"フォルダ"));
  WriteBytes(At(u"ファイル.txt"), "12345");
  struct Case {
    std::u16string path;
    int directory;
    int file;
  };
  const Case cases[] = {
      {At(u"フォルダ"), 1, 0},       {At(u"ファイル.txt"), 0, 1},
      {At(u"missing"), 0, 0},        {At(u"ファイル.txt/x"), 0, 0},
      {At(u"missing/deeper"), 0, 0}, {std::u16string(u"a\0b", 3), 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectoryExists(c.path), c.directory) << A(c.path);
    EXPECT_EQ(FileExists(c.path), c.file) << A(c.path);
    EXPECT_EQ(GetFileStatus(c.path).has_value(), c.directory + c.file == 1) << A(c.path);
  }
  const auto file = GetFileStatus(At(u"ファイル.txt"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->size, 5u);
  EXPECT_FALSE(file->isDirectory);
  EXPECT_FALSE(file->readOnly);
  EXPECT_TRUE(StatusOf(At(u"フォルダ")).isDirectory);
}

TEST_F(FileAccessTest, ReportsReadOnlyAndSizesBeyond32Bits) {
  const std::u16string path = At(u"big.bin");
  WriteBytes(path, "x");
  storage_test::MakeReadOnly(path);
  EXPECT_TRUE(StatusOf(path).readOnly);
  EXPECT_FALSE(RemoveFile(path));
  EXPECT_TRUE(Present(path));
  EXPECT_TRUE(ClearReadOnly(path));
  EXPECT_FALSE(StatusOf(path).readOnly);

  constexpr std::uint64_t kSize = (std::uint64_t{1} << 32) + 7;
  std::error_code error;
  std::filesystem::resize_file(storage_test::Native(path), kSize, error);
  if (error) GTEST_SKIP() << "this file system cannot hold a sparse file of 4 GiB";
  EXPECT_EQ(StatusOf(path).size, kSize);
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(Present(path));
  EXPECT_FALSE(RemoveFile(path));
}

TEST_F(FileAccessTest, CreatesExactlyOneLevel) {
  EXPECT_TRUE(MakeDirectory(At(u"Brindlecot")));
  EXPECT_EQ(DirectoryExists(At(u"Brindlecot")), 1);
  EXPECT_FALSE(MakeDirectory(At(u"Brindlecot")));
  EXPECT_FALSE(MakeDirectory(At(u"none/Tavernic")));
  EXPECT_FALSE(Present(At(u"none")));
  WriteBytes(At(u"file"), "");
  EXPECT_FALSE(MakeDirectory(At(u"file")));
  EXPECT_EQ(FileExists(At(u"file")), 1);
}

// Paths of far more than 260 characters, through every routine.
TEST_F(FileAccessTest, LongPathsWork) {
  std::u16string path = At(u"long");
  ASSERT_TRUE(MakeDirectory(path));
  while (path.size() < 400) {
    path += kPathSeparator;
    path += u"長いフォルダの名前-abcdefghijklmnopqrstuvwxyz-0123456789";
    ASSERT_TRUE(MakeDirectory(path)) << path.size();
  }
  const std::u16string file = path + kPathSeparator + u"Quillet.tbin";
  ASSERT_GT(file.size(), 400u);
  EXPECT_EQ(DirectoryExists(path), 1);
  EXPECT_EQ(WriteTextFile(file, std::string_view("\xFF\xFE"
                                                 "1\0\n\0",
                                                 6)),
            1);
  EXPECT_EQ(FileExists(file), 1);
  EXPECT_EQ(StatusOf(file).size, 6u);
  EXPECT_EQ(ReadUnicodeTextFile(file), u"1\r\n");
  EXPECT_TRUE(ReplaceWith(file, std::string("\xFF\xFE"
                                            "0\0",
                                            4)));
  EXPECT_EQ(ReadUnicodeTextFile(file, true), u"0\r\n");
  EXPECT_EQ(DeleteDirectoryTree(At(u"long")), 1);
  EXPECT_FALSE(Present(At(u"long")));
}

}  // namespace
