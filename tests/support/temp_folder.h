#pragma once
// A fresh folder below the system's temporary folder (on Windows the one GetTempPathW names)
// for one test, removed with everything in it at the end.

#include <filesystem>
#include <string>

#include "tests/support/file_bytes.h"

class TempFolder {
 public:
  // Creates a folder whose name begins with `stem` (a name with Japanese characters makes the
  // tests inside cover such paths too); an earlier one of the same name is removed first.
  explicit TempFolder(const std::filesystem::path& stem = "vornel-test-");
  // Removes the folder tree (see RemoveTree).
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::u16string u16() const { return path_.u16string(); }

 private:
  std::filesystem::path path_;
};

// Removes the folder tree at the absolute path `folder`, read-only entries and paths longer
// than 260 characters included; links go as links, never followed. What cannot be removed
// stays, silently.
void RemoveTree(const std::filesystem::path& folder);
