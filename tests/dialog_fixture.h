#pragma once
// A dialog on the fake window with its own program-wide state and a private Documents folder
// that holds the maker's folder "Brindlecot" (which the program never creates itself).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "convert/conversion_state.h"
#include "res/resource.h"
#include "storage/settings.h"
#include "storage/working_folders.h"
#include "tests/fake_window.h"
#include "tests/temp_folder.h"
#include "ui/vornel_dlg.h"

struct DialogRig {
  DialogRig()
      : documents(temp.path() / "Documents"), dialog(window, folders, settings, conversion) {
    window.dialog = &dialog;
    dialog.SetProgressThrottling(false);
    dialog.SetDocumentsLookup([this] { return documents.u16string(); });
    std::filesystem::create_directories(documents / "Brindlecot");
  }

  std::filesystem::path AppData() const { return documents / "Brindlecot" / "Tavernic"; }
  std::filesystem::path HandOff() const { return AppData() / "AutoFile"; }
  std::filesystem::path SettingsFile() const { return AppData() / "temp" / "Pellow.tmp"; }
  std::filesystem::path Input() const { return HandOff() / "Quillet.tbin"; }
  std::filesystem::path Output() const { return AppData() / "Result" / "Ostrum.tbin"; }

  void WriteSettings(const std::string& bytes) {
    std::filesystem::create_directories(SettingsFile().parent_path());
    WriteBytes(SettingsFile(), bytes);
  }
  // Starts the dialog as the program does.
  void Start() { ASSERT_TRUE(dialog.OnInitDialog()); }

  TempFolder temp;
  std::filesystem::path documents;
  FolderState folders;
  SettingsState settings;
  ConversionState conversion;
  FakeWindow window;
  CVornelDlg dialog;
};

class DialogTest : public ::testing::Test, protected DialogRig {};
