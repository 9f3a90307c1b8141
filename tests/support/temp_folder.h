#pragma once
// A fresh folder below the system's temporary folder, removed with everything in it at the
// end of the test, and small file helpers for the tests.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tests/support/file_bytes.h"

class TempFolder {
 public:
  TempFolder() : path_(NewPath()) { std::filesystem::create_directories(path_); }
  ~TempFolder() {
    std::error_code ignored;
    // Read-only files left by a test must not keep the folder alive.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::u16string u16() const { return path_.u16string(); }

 private:
  // A new name below the system's temporary folder.
  static std::filesystem::path NewPath() {
    std::random_device random;
    return std::filesystem::temp_directory_path() /
           ("vornel-test-" + std::to_string(random()) + std::to_string(random()));
  }

  std::filesystem::path path_;
};
