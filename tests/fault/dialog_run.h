#pragma once
// One run of the program's dialog on the fake window, with a Documents folder of the
// test's choice: each object is a fresh program start.

#include <filesystem>
#include <string>

#include "convert/conversion_state.h"
#include "res/resource.h"
#include "storage/settings.h"
#include "storage/working_folders.h"
#include "tests/fake_window.h"
#include "ui/vornel_dlg.h"

struct DialogRun {
  explicit DialogRun(const std::filesystem::path& documents)
      : dialog(window, folders, settings, conversion) {
    window.dialog = &dialog;
    dialog.SetProgressThrottling(false);
    const std::u16string path = documents.u16string();
    // Called for every lookup, so the captured path is copied, never moved away.
    dialog.SetDocumentsLookup([path] { return path; });  // NOLINT(performance-no-automatic-move)
  }
  DialogRun(const DialogRun&) = delete;
  DialogRun& operator=(const DialogRun&) = delete;

  FolderState folders;
  SettingsState settings;
  ConversionState conversion;
  FakeWindow window;
  CVornelDlg dialog;
};

// The program's folders below a Documents folder.
struct ProgramFolders {
  explicit ProgramFolders(const std::filesystem::path& documents)
      : appData(documents / "Brindlecot" / "Tavernic"),
        handOff(appData / "AutoFile"),
        result(appData / "Result"),
        temp(appData / "temp"),
        input(handOff / "Quillet.tbin"),
        output(result / "Ostrum.tbin"),
        settings(temp / "Pellow.tmp") {}
  std::filesystem::path appData, handOff, result, temp, input, output, settings;
};
