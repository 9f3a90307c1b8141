#pragma once
// A Documents folder of its own for one test: a fresh temporary folder that the current
// user's Documents folder points at while the object lives (through the registry value
// "Personal" of the user's shell folders), and the files a test reads and writes there.
// Test programs running side by side take turns: each holds a named lock while its object
// lives (the lock is recursive, so one thread may nest them).

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

// Points the current user's Documents folder at `value` (the registry value "Personal" of the
// user's shell folders, of registry type `type`, REG_SZ by default); whether it worked.
bool SetDocumentsValue(const std::wstring& value, unsigned long type = 1);

class PrivateDocuments {
 public:
  // Waits for the other test programs' turns, creates the folder and points Documents at it;
  // check Active() for the outcome.
  PrivateDocuments();
  // Points Documents back where it was and removes the folder with everything in it.
  ~PrivateDocuments();
  PrivateDocuments(const PrivateDocuments&) = delete;
  PrivateDocuments& operator=(const PrivateDocuments&) = delete;

  bool Active() const { return active_; }
  // The Documents folder itself.
  const std::filesystem::path& Path() const { return documents_; }
  // Documents\Brindlecot\Tavernic, where the program keeps its folders.
  std::filesystem::path AppData() const;
  // A scratch folder beside Documents for the test's own files.
  const std::filesystem::path& Scratch() const { return scratch_; }

 private:
  std::optional<TempFolder> folder_;  // holds Documents and the scratch folder
  std::filesystem::path documents_;
  std::filesystem::path scratch_;
  unsigned long savedType_ = 0;
  std::wstring savedValue_;
  bool hadValue_ = false;
  bool active_ = false;
  void* lock_ = nullptr;  // the named mutex held while the object lives
};
