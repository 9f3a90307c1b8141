#pragma once
// A snapshot of a folder tree that tells whether anything in it changed: every entry's
// kind, a file's bytes, a link's target and (elsewhere than on Windows) the permission bits.
// Links are recorded, never followed.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>

// Relative path -> description of the entry there, for everything below `root` except the
// subtree `skip` (a path below `root`; empty: nothing is skipped). An unreadable entry is
// recorded as such.
inline std::map<std::string, std::string> SnapshotTree(const std::filesystem::path& root,
                                                       const std::filesystem::path& skip = {}) {
  namespace fs = std::filesystem;
  const auto Key = [&root](const fs::path& path) {
    const auto relative = path.lexically_relative(root).generic_u8string();
    return std::string(relative.begin(), relative.end());
  };
  const std::string skipped = skip.empty() ? std::string() : Key(skip);
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::path& path = it->path();
    const std::string key = Key(path);
    if (!skipped.empty() && key == skipped) {
      it.disable_recursion_pending();
      continue;
    }
    std::error_code statusError;
    const fs::file_status status = fs::symlink_status(path, statusError);
    std::string description;
#ifndef _WIN32
    description = "perms " + std::to_string(static_cast<unsigned>(status.permissions())) + " ";
#endif
    if (statusError) {
      description += "unreadable";
    } else if (fs::is_symlink(status)) {
      const auto target = fs::read_symlink(path, statusError).generic_u8string();
      description += "link to " + std::string(target.begin(), target.end());
    } else if (fs::is_directory(status)) {
      description += "folder";
    } else {
      std::ifstream in(path, std::ios::binary);
      description += "file " + std::string(std::istreambuf_iterator<char>(in), {});
    }
    entries[key] = description;
  }
  if (error) entries["<error>"] = error.message();
  return entries;
}
