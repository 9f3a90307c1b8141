#include "tests/support/temp_folder.h"

#include <atomic>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::atomic<int> serial{0};

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

#ifdef _WIN32
// The C++ library cannot take the long-path prefix, so the tree is removed by hand.
void RemoveWin32Tree(const std::wstring& folder) {
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD attributes = data.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveWin32Tree(path);
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &data) != FALSE);
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}
#endif

}  // namespace

TempFolder::TempFolder(const fs::path& stem) {
  fs::path name = stem;
  name += std::to_string(ProcessId()) + "-" + std::to_string(++serial);
  path_ = fs::temp_directory_path() / name;
  RemoveTree(path_);  // left by a crashed run of a process with the same id
  fs::create_directories(path_);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const fs::path& folder) {
#ifdef _WIN32
  const std::wstring path = folder.wstring();
  RemoveWin32Tree(path.starts_with(L"\\\\?\\") ? path : L"\\\\?\\" + path);
#else
  std::error_code error;
  // Read-only entries must not keep the tree alive; a link's target is not the tree's.
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    if (!it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(folder, error);
#endif
}
