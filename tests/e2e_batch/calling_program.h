#pragma once
// What a calling program of the automatic processing does, for the tests: it owns a private
// Documents folder, writes the input file in the encodings other programs use, starts
// Vornel.exe by its full path without arguments and watches the started process and its
// windows until it ends. Every wait has a timeout; nothing sleeps for a fixed time.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/private_documents.h"
#include "tests/e2e/program_driver.h"
#include "tests/support/text_bytes.h"

// A private Documents folder (which holds the test programs' shared lock) with the program's
// folders for automatic processing: Brindlecot\Tavernic\AutoFile and Result.
class HandOffDocuments {
 public:
  HandOffDocuments();
  HandOffDocuments(const HandOffDocuments&) = delete;
  HandOffDocuments& operator=(const HandOffDocuments&) = delete;

  // Whether the lock was taken, Documents points at the private folder and the folders exist.
  bool Ready() const { return ready_; }
  std::filesystem::path Path() const { return documents_->Path(); }
  std::filesystem::path AppData() const { return documents_->AppData(); }
  std::filesystem::path HandOffFolder() const { return AppData() / L"AutoFile"; }
  std::filesystem::path ResultFolder() const { return AppData() / L"Result"; }
  std::filesystem::path Input() const { return HandOffFolder() / L"Quillet.tbin"; }
  std::filesystem::path Output() const { return ResultFolder() / L"Ostrum.tbin"; }
  std::filesystem::path SettingsFile() const { return AppData() / L"temp" / L"Pellow.tmp"; }

  // Writes the settings file that the next start reads; whether it worked.
  bool WriteSettings(const std::string& bytes) const;

 private:
  std::optional<PrivateDocuments> documents_;
  bool ready_ = false;
};

// `ascii` as UTF-8 bytes after the byte-order mark EF BB BF.
std::string Utf8WithMark(const std::string& ascii);

// `text` as UTF-8, for test messages.
std::string Utf8Of(const std::wstring& text);

// The bytes of a file read while others may read, write and delete it meanwhile, so that a
// run that replaces it is not disturbed (the sample calling program's own reading); nullopt
// when it cannot be opened or read.
std::optional<std::string> ReadShared(const std::filesystem::path& path);

// A message box on screen: a visible dialog window with the static text 0xFFFF.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
};

// The class names of the visible top-level windows of process `id` right now.
std::vector<std::wstring> VisibleWindowClassesOf(DWORD id);
// The visible message box of process `id` right now, if there is one.
std::optional<MessageBoxSeen> MessageBoxOf(DWORD id);
// Presses the OK button of a message box (posted, never sent).
void Answer(const MessageBoxSeen& box);

// One start of Vornel.exe by its full path without arguments. A process still running at
// destruction is terminated.
class VornelRun {
 public:
  // Starts the program; check Started().
  VornelRun();
  ~VornelRun();
  VornelRun(const VornelRun&) = delete;
  VornelRun& operator=(const VornelRun&) = delete;

  bool Started() const { return process_ != nullptr; }
  // The system's error code of the last failed start (0 when none failed).
  DWORD StartError() const { return startError_; }
  DWORD Id() const { return id_; }
  HANDLE Process() const { return process_; }
  bool Ended() const;
  // The exit code once the process has ended; nullopt while it runs.
  std::optional<DWORD> ExitCode() const;
  // Waits up to `timeout` for the end, noting every visible top-level window of the process
  // meanwhile; whether it ended in time.
  bool WaitForEndWatchingWindows(Milliseconds timeout = kWaitTimeout);
  // The classes of the visible windows noted so far (each class once).
  const std::vector<std::wstring>& WindowsSeen() const { return windowsSeen_; }
  // Waits up to `timeout` for a message box of the process; nullopt when none appeared or
  // the process ended first. Other visible windows are noted meanwhile.
  std::optional<MessageBoxSeen> WaitForMessageBox(Milliseconds timeout = kWaitTimeout);

 private:
  void NoteWindows();

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  DWORD startError_ = 0;
  std::vector<std::wstring> windowsSeen_;
};
