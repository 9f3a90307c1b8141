// Deleting a folder tree: what goes, what stays, and links that must not be followed.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "storage/file_access.h"
#include "storage/platform.h"
#include "tests/support/folder_link.h"
#include "tests/support/storage_test_support.h"
#include "tests/support/test_text.h"

namespace {

using storage_test::Listing;
using storage_test::MakeFolders;
using storage_test::Present;
using storage_test::ReadBytes;
using storage_test::TempFolderTest;
using storage_test::WriteBytes;
using Names = std::vector<std::u16string>;

class DeleteDirectoryTreeTest : public TempFolderTest {
 protected:
  // A folder outside the tree that no deletion may reach.
  void MakeCanary() {
    MakeFolders(At(u"canary/inner"));
    WriteBytes(At(u"canary/keep.txt"), "keep");
    WriteBytes(At(u"canary/inner/keep2.txt"), "keep2");
  }
  void ExpectCanaryIntact() {
    EXPECT_EQ(Listing(At(u"canary")), (Names{u"inner", u"keep.txt"}));
    EXPECT_EQ(ReadBytes(At(u"canary/keep.txt")), "keep");
    EXPECT_EQ(ReadBytes(At(u"canary/inner/keep2.txt")), "keep2");
  }
};

// Which Windows reparse points are links: only those whose tag names another file or folder,
// and those whose tag cannot be read. A cloud placeholder or a deduplicated folder is walked
// and emptied like any other.
TEST(LinkEntryTest, OnlyNameSurrogatesAndUnreadableTagsAreLinks) {
  constexpr std::uint32_t kFile = 0x20;           // FILE_ATTRIBUTE_ARCHIVE
  constexpr std::uint32_t kFolder = 0x10;         // FILE_ATTRIBUTE_DIRECTORY
  constexpr std::uint32_t kReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
  const struct {
    const char* name;
    std::uint32_t attributes;
    std::uint32_t tag;
    bool link;
  } cases[] = {
      {"plain file", kFile, 0, false},
      {"plain folder", kFolder, 0, false},
      {"symbolic link to a folder", kFolder | kReparsePoint, 0xA000000C, true},
      {"symbolic link to a file", kFile | kReparsePoint, 0xA000000C, true},
      {"junction", kFolder | kReparsePoint, 0xA0000003, true},
      {"WSL symbolic link", kFile | kReparsePoint, 0xA000001D, true},
      {"cloud placeholder folder", kFolder | kReparsePoint, 0x9000001A, false},
      {"cloud placeholder file", kFile | kReparsePoint, 0x9000001A, false},
      {"deduplicated file", kFile | kReparsePoint, 0x80000013, false},
      {"reparse point whose tag could not be read", kFolder | kReparsePoint, 0, true},
      {"a tag without the reparse attribute", kFolder, 0xA000000C, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::IsLinkEntry(c.attributes, c.tag), c.link) << c.name;
  }
}

TEST_F(DeleteDirectoryTreeTest, RemovesANestedTree) {
  for (const char16_t* folder : {u"AutoFile/a/b/c", u"AutoFile/空/d", u"AutoFile/e"}) {
    MakeFolders(At(folder));
  }
  for (const char16_t* file :
       {u"AutoFile/Quillet.tbin", u"AutoFile/a/1.txt", u"AutoFile/a/b/c/2.txt",
        u"AutoFile/空/ファイル.txt", u"AutoFile/.hidden"}) {
    WriteBytes(At(file), "x");
  }
  MakeFolders(At(u"AutoFileSibling"));
  EXPECT_EQ(DeleteDirectoryTree(At(u"AutoFile")), 1);
  EXPECT_EQ(Listing(At()), Names{u"AutoFileSibling"});
}

TEST_F(DeleteDirectoryTreeTest, AcceptsATrailingSeparatorAndAnEmptyFolder) {
  MakeFolders(At(u"empty"));
  MakeFolders(At(u"tree/sub"));
  EXPECT_EQ(DeleteDirectoryTree(At(u"empty")), 1);
  EXPECT_EQ(DeleteDirectoryTree(At(u"tree/")), 1);
  EXPECT_EQ(Listing(At()), Names{});
}

TEST_F(DeleteDirectoryTreeTest, KeepsAReadOnlyFileAndTheFoldersAboveIt) {
  MakeFolders(At(u"tree/x/y"));
  MakeFolders(At(u"tree/z"));
  WriteBytes(At(u"tree/x/y/locked.txt"), "locked");
  WriteBytes(At(u"tree/x/other.txt"), "o");
  WriteBytes(At(u"tree/z/gone.txt"), "g");
  WriteBytes(At(u"tree/top.txt"), "t");
  storage_test::MakeReadOnly(At(u"tree/x/y/locked.txt"));
  EXPECT_EQ(DeleteDirectoryTree(At(u"tree")), 1);
  EXPECT_EQ(Listing(At(u"tree")), Names{u"x"});
  EXPECT_EQ(Listing(At(u"tree/x")), Names{u"y"});
  EXPECT_EQ(ReadBytes(At(u"tree/x/y/locked.txt")), "locked");
}

TEST_F(DeleteDirectoryTreeTest, RefusesAMissingPathOrAFile) {
  WriteBytes(At(u"file.txt"), "f");
  const std::u16string paths[] = {At(u"missing"), At(u"missing/deeper"), At(u"file.txt"),
                                  At(u"file.txt/"), std::u16string(u"x\0y", 3)};
  for (const auto& path : paths) EXPECT_EQ(DeleteDirectoryTree(path), 0) << A(path);
  EXPECT_EQ(ReadBytes(At(u"file.txt")), "f");
}

#ifndef _WIN32
TEST_F(DeleteDirectoryTreeTest, RemovesLinksInsideTheTreeWithoutFollowingThem) {
  MakeCanary();
  MakeFolders(At(u"tree/sub"));
  WriteBytes(At(u"tree/sub/a.txt"), "a");
  namespace fs = std::filesystem;
  fs::create_directory_symlink(storage_test::Native(At(u"canary")),
                               storage_test::Native(At(u"tree/sub/to-canary")));
  fs::create_symlink(storage_test::Native(At(u"canary/keep.txt")),
                     storage_test::Native(At(u"tree/to-file")));
  fs::create_symlink(storage_test::Native(At(u"nowhere")), storage_test::Native(At(u"tree/dead")));
  // A read-only file behind a link must not stop the tree's own removal either.
  storage_test::MakeReadOnly(At(u"canary/keep.txt"));
  EXPECT_EQ(DeleteDirectoryTree(At(u"tree")), 1);
  EXPECT_FALSE(Present(At(u"tree")));
  ExpectCanaryIntact();
}

TEST_F(DeleteDirectoryTreeTest, RemovesARootLinkAsALink) {
  MakeCanary();
  std::filesystem::create_directory_symlink(storage_test::Native(At(u"canary")),
                                            storage_test::Native(At(u"AutoFile")));
  EXPECT_EQ(DeleteDirectoryTree(At(u"AutoFile")), 1);
  EXPECT_FALSE(Present(At(u"AutoFile")));
  ExpectCanaryIntact();
  // A link to a file is no folder.
  std::filesystem::create_symlink(storage_test::Native(At(u"canary/keep.txt")),
                                  storage_test::Native(At(u"file-link")));
  EXPECT_EQ(DeleteDirectoryTree(At(u"file-link")), 0);
  EXPECT_TRUE(Present(At(u"file-link")));
  ExpectCanaryIntact();
}

#else

TEST_F(DeleteDirectoryTreeTest, RemovesFolderLinksWithoutFollowingThem) {
  MakeCanary();
  MakeFolders(At(u"tree/sub"));
  if (!MakeFolderLink(At(u"tree/sub/to-canary"), At(u"canary"))) {
    GTEST_SKIP() << "this system cannot create a symbolic link or a junction (wine 8.0 "
                    "reports success for CreateSymbolicLinkW but creates nothing, and "
                    "refuses FSCTL_SET_REPARSE_POINT)";
  }
  ASSERT_TRUE(MakeFolderLink(At(u"root-link"), At(u"canary")));
  EXPECT_EQ(DeleteDirectoryTree(At(u"tree")), 1);
  EXPECT_FALSE(Present(At(u"tree")));
  ExpectCanaryIntact();
  EXPECT_EQ(DeleteDirectoryTree(At(u"root-link")), 1);
  EXPECT_FALSE(Present(At(u"root-link")));
  ExpectCanaryIntact();
}
#endif

}  // namespace
