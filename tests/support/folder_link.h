#pragma once
// Links for the tests: a symbolic link elsewhere than on Windows; on Windows a folder
// symbolic link or, where that is refused, a junction.

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
#endif

// Makes `link` point at the folder `target` (absolute); false when this system cannot.
inline bool MakeFolderLink(const std::filesystem::path& link, const std::filesystem::path& target) {
#ifndef _WIN32
  std::error_code error;
  std::filesystem::create_directory_symlink(target, link, error);
  return !error;
#else
  const std::wstring wideLink = link.wstring();
  const std::wstring wideTarget = target.wstring();
  const auto isLink = [&] {
    const DWORD attributes = GetFileAttributesW(wideLink.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  };
  constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  if (CreateSymbolicLinkW(wideLink.c_str(), wideTarget.c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged) &&
      isLink()) {
    return true;
  }
  // A junction: an empty folder with a mount-point reparse point.
  RemoveDirectoryW(wideLink.c_str());
  if (!CreateDirectoryW(wideLink.c_str(), nullptr)) return false;
  const HANDLE folder =
      CreateFileW(wideLink.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder == INVALID_HANDLE_VALUE) {
    RemoveDirectoryW(wideLink.c_str());
    return false;
  }
  const std::wstring substitute = L"\\??\\" + wideTarget;
  // Tag, data length, reserved, the offsets and lengths of the substitute and print names,
  // then both names with their terminators.
  std::vector<char> buffer(16 + (substitute.size() + wideTarget.size() + 2) * 2);
  const auto put16 = [&](std::size_t at, std::size_t value) {
    const auto v = static_cast<WORD>(value);
    std::memcpy(buffer.data() + at, &v, 2);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(buffer.data(), &tag, 4);
  put16(4, buffer.size() - 8);
  put16(10, substitute.size() * 2);
  put16(12, (substitute.size() + 1) * 2);
  put16(14, wideTarget.size() * 2);
  std::memcpy(buffer.data() + 16, substitute.c_str(), substitute.size() * 2);
  std::memcpy(buffer.data() + 16 + (substitute.size() + 1) * 2, wideTarget.c_str(),
              wideTarget.size() * 2);
  DWORD returned = 0;
  const BOOL made =
      DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(),
                      static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
  CloseHandle(folder);
  if (made && isLink()) return true;
  RemoveDirectoryW(wideLink.c_str());
  return false;
#endif
}
