#pragma once
// A dialog on the fake window with its own program-wide state: each object is a fresh program
// start. Its Documents folder is a private one that holds the maker's folder "Brindlecot"
// (which the program never creates itself), or one of the test's choice. `Window` is the
// fake window or a test's own variant of it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "res/resource.h"
#include "storage/settings.h"
#include "storage/working_folders.h"
#include "tests/support/fake_window.h"
#include "tests/support/program_folders.h"
#include "tests/support/temp_folder.h"
#include "ui/vornel_dlg.h"

template <class Window>
struct DialogRigOn {
  DialogRigOn() : documents(temp.path() / "Documents"), program(documents) {
    std::filesystem::create_directories(documents / "Brindlecot");
    Wire();
  }
  // A start whose Documents folder is `documentsFolder`, as it is.
  explicit DialogRigOn(std::filesystem::path documentsFolder)
      : documents(std::move(documentsFolder)), program(documents) {
    Wire();
  }
  DialogRigOn(const DialogRigOn&) = delete;
  DialogRigOn& operator=(const DialogRigOn&) = delete;

  std::filesystem::path AppData() const { return program.appData; }
  std::filesystem::path HandOff() const { return program.handOff; }
  std::filesystem::path SettingsFile() const { return program.settings; }
  std::filesystem::path Input() const { return program.input; }
  std::filesystem::path Output() const { return program.output; }

  void WriteSettings(const std::string& bytes) {
    std::filesystem::create_directories(SettingsFile().parent_path());
    WriteBytes(SettingsFile(), bytes);
  }
  // Starts the dialog as the program does.
  void Start() { ASSERT_TRUE(dialog.OnInitDialog()); }

  TempFolder temp;
  std::filesystem::path documents;
  ProgramFolders program;
  FolderState folders;
  SettingsState settings;
  ConversionState conversion;
  Window window;
  CVornelDlg dialog{window, folders, settings, conversion};

 private:
  // The fake window routes clicks to the dialog, which finds Documents at `documents`.
  void Wire() {
    window.dialog = &dialog;
    dialog.SetProgressThrottling(false);
    dialog.SetDocumentsLookup([this] { return documents.u16string(); });
  }
};

// The dialog on the plain fake window.
using DialogRig = DialogRigOn<FakeWindow>;

class DialogTest : public ::testing::Test, protected DialogRig {};
