// A start of the program without its window: the dialog's start-up on a given Documents
// folder, which turns into a batch run when the hand-off folder there exists. bench/run.sh
// measures it with /usr/bin/time for the batch run's peak memory natively.
//
//   vornel_bench_batch DOCUMENTS_FOLDER
// Exit status 0 when the dialog ended as a batch run does (-1) without any message box.

#include <cstdio>
#include <string>

#include "bench/silent_window.h"
#include "ui/vornel_dlg.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DOCUMENTS_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string documents = argv[1];
  SilentWindow window;
  FolderState folders;
  SettingsState settings;
  ConversionState conversion;
  CVornelDlg dialog(window, folders, settings, conversion);
  dialog.SetDocumentsLookup([&] { return std::u16string(documents.begin(), documents.end()); });
  dialog.OnInitDialog();
  return window.endResult == -1 && window.messages == 0 ? 0 : 1;
}
