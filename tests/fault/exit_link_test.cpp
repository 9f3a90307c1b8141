// Exit removes the hand-off folder that appeared during the run. Links inside it (or the
// folder itself being a link) must go as links: what they point to survives untouched, and
// nothing outside the program's folder changes.
#include <gtest/gtest.h>

#include "tests/fault/tree_snapshot.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/folder_link.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

enum class Target { kCanary, kCanaryFile, kDocuments, kAppData, kMissing, kCanaryRelative };

struct LinkCase {
  const char* name;
  const char* link;  // below the hand-off folder; empty: the hand-off folder itself
  Target target;
};

// Where `target` lies for a test below `root`.
fs::path TargetPath(const fs::path& root, const ProgramFolders& program, Target target) {
  switch (target) {
    case Target::kCanary:
      return root / "canary";
    case Target::kCanaryFile:
      return root / "canary" / "keep.txt";
    case Target::kDocuments:
      return root / "Documents";
    case Target::kAppData:
      return program.appData;
    case Target::kMissing:
      return root / "nowhere";
    case Target::kCanaryRelative:
      break;
  }
  return fs::path("..") / ".." / ".." / ".." / ".." / "canary";  // from AutoFile/sub
}

bool MakeLink(const fs::path& link, const fs::path& target, Target kind) {
  if (kind == Target::kCanaryFile || kind == Target::kMissing || kind == Target::kCanaryRelative) {
#ifdef _WIN32
    return false;  // only folder links are made on Windows
#else
    std::error_code error;
    if (kind == Target::kCanaryRelative) {
      fs::create_directory_symlink(target, link, error);
    } else {
      fs::create_symlink(target, link, error);
    }
    return !error;
#endif
  }
  return MakeFolderLink(link, target);
}

TEST(ExitLinkTest, LinksInTheHandOffFolderGoAsLinksAndTheirTargetsSurvive) {
  const LinkCase cases[] = {
      {"a folder link", "to-canary", Target::kCanary},
      {"a folder link two levels down", "a/b/to-canary", Target::kCanary},
      {"the hand-off folder itself a link", "", Target::kCanary},
      {"a link to the Documents folder", "to-documents", Target::kDocuments},
      {"a link to the program's own folder (a loop)", "up", Target::kAppData},
      {"a file link", "to-file", Target::kCanaryFile},
      {"a dangling link", "dead", Target::kMissing},
      {"a relative folder link", "sub/to-canary", Target::kCanaryRelative},
  };
  int tried = 0;
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const fs::path& root = temp.path();
    const fs::path documents = root / "Documents";
    const ProgramFolders program(documents);
    fs::create_directories(documents / "Brindlecot");
    fs::create_directories(root / "canary" / "inner");
    WriteBytes(root / "canary" / "keep.txt", "keep");
    WriteBytes(root / "canary" / "inner" / "keep2.txt", "keep2");
    WriteBytes(root / "canary" / "read-only.txt", "read-only");
    fs::permissions(root / "canary" / "read-only.txt", fs::perms::owner_write,
                    fs::perm_options::remove);
    WriteBytes(documents / "mine.txt", "the user's own file");

    DialogRig run(documents);
    ASSERT_TRUE(run.dialog.OnInitDialog());
    ASSERT_FALSE(run.window.endResult);
    // Another program makes the hand-off folder during the run, with links in it.
    WriteBytes(program.output, "an earlier result");
    const std::string link = c.link;
    const fs::path linkPath = link.empty() ? program.handOff : program.handOff / link;
    if (!link.empty()) {
      fs::create_directories(linkPath.parent_path());
      WriteBytes(program.handOff / "Quillet.tbin", "waiting");
    }
    if (!MakeLink(linkPath, TargetPath(root, program, c.target), c.target)) {
#ifdef _WIN32
      if (tried == 0) {
        GTEST_SKIP() << "this system cannot create a folder link: wine 8.0 reports success for "
                        "CreateSymbolicLinkW but creates nothing, and refuses the junction's "
                        "FSCTL_SET_REPARSE_POINT";
      }
      continue;  // a kind of link Windows does not have here
#else
      FAIL() << "cannot create the link";
#endif
    }
    const auto outside = SnapshotTree(root, program.appData);
    const auto results = SnapshotTree(program.result);

    run.window.Click(IDC_BTN_EXIT);

    EXPECT_EQ(run.window.endResult, 1);
    std::error_code error;
    EXPECT_EQ(fs::symlink_status(program.handOff, error).type(), fs::file_type::not_found);
    EXPECT_EQ(SnapshotTree(root, program.appData), outside);
    EXPECT_EQ(SnapshotTree(program.result), results);
    EXPECT_EQ(ReadBytes(program.settings), "0\r\n0");
    ++tried;
  }
  std::printf("links at Exit: %d cases\n", tried);
}

}  // namespace
