#pragma once
// A private temporary folder for each storage test, and byte-level file helpers that do not
// go through the routines under test.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "storage/file_access.h"
#include "storage/working_folders.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace storage_test {

namespace fs = std::filesystem;

inline fs::path Native(const std::u16string& path) { return fs::path(path); }

using ::WriteBytes;

// Replaces the file at `path` by `bytes` as the batch run replaces its result; whether that
// went through.
inline bool ReplaceWith(const std::u16string& path, std::string_view bytes) {
  FileReplacement replacement(path);
  return replacement.Write(bytes) && replacement.Commit();
}

using ::ReadBytes;

// true when anything (a dangling link included) is at `path`.
inline bool Present(const std::u16string& path) {
  std::error_code error;
  return fs::symlink_status(Native(path), error).type() != fs::file_type::not_found;
}

inline void MakeFolders(const std::u16string& path) {
  std::error_code error;
  fs::create_directories(Native(path), error);
  ASSERT_FALSE(error) << error.message();
}

// Names of the entries of a folder, sorted.
inline std::vector<std::u16string> Listing(const std::u16string& folder) {
  std::vector<std::u16string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(Native(folder), error)) {
    names.push_back(entry.path().filename().u16string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline void MakeReadOnly(const std::u16string& path) {
  std::error_code error;
  fs::permissions(Native(path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove, error);
  ASSERT_FALSE(error) << error.message();
}

// Each test works inside a fresh folder below the system's temporary folder, whose name holds
// Japanese characters, so that every test also covers such paths.
class TempFolderTest : public ::testing::Test {
 protected:
  // `relative` below the test's folder; '/' in it stands for the platform's separator.
  std::u16string At(std::u16string_view relative = u"") const {
    std::u16string path = temp_.u16();
    if (relative.empty()) return path;
    path += kPathSeparator;
    for (char16_t c : relative) path.push_back(c == u'/' ? kPathSeparator : c);
    return path;
  }

  TempFolder temp_{u"vornel-保存テスト-"};
};

}  // namespace storage_test
