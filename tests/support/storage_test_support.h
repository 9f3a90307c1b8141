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

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

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

// Each test works inside a fresh folder below the system's temporary folder (on Windows the
// one GetTempPathW names). The folder's name holds Japanese characters, so that every test
// also covers such paths. Everything is removed afterwards.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
#ifdef _WIN32
    const unsigned long pid = GetCurrentProcessId();
#else
    const auto pid = static_cast<unsigned long>(getpid());
#endif
    const std::string tag = std::to_string(pid) + "-" + std::to_string(++serial);
    root_ = (fs::temp_directory_path() /
             fs::path(u"vornel-保存テスト-" + std::u16string(tag.begin(), tag.end())))
                .u16string();
    RemoveRoot();
    MakeFolders(root_);
  }

  void TearDown() override { RemoveRoot(); }

  // Removes the test's folder, long paths and read-only entries included.
  void RemoveRoot() {
#ifdef _WIN32
    RemoveWin32Tree(L"\\\\?\\" + std::wstring(root_.begin(), root_.end()));
#else
    const fs::path root = Native(root_);
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (!it->is_symlink()) {
        std::error_code ignored;
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
      }
    }
    fs::remove_all(root, error);
#endif
  }

#ifdef _WIN32
  // The C++ library cannot take the long-path prefix, so the tree is removed by hand; links
  // are removed as links.
  static void RemoveWin32Tree(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        const DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
          RemoveWin32Tree(path);
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveDirectoryW(path.c_str());
        } else {
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(search, &data));
      FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
  }
#endif

  // `relative` below the test's folder; '/' in it stands for the platform's separator.
  std::u16string At(std::u16string_view relative = u"") const {
    std::u16string path = root_;
    if (relative.empty()) return path;
    path += kPathSeparator;
    for (char16_t c : relative) path.push_back(c == u'/' ? kPathSeparator : c);
    return path;
  }

  std::u16string root_;
};

}  // namespace storage_test
