// The interactive file conversion without its window: Read file and Convert file data of the
// dialog's logic on a given file, with the progress display throttled as in the program, and
// a window that only keeps texts. Shows what the logic itself costs, apart from the controls.
// Prints key=value lines for bench/run.sh.
//
//   vornel_bench_dialog DOCUMENTS_FOLDER INPUT_FILE

#include <chrono>
#include <cstdio>
#include <string>

#include "bench/silent_window.h"
#include "res/resource.h"
#include "ui/vornel_dlg.h"

namespace {

using Clock = std::chrono::steady_clock;

std::u16string U16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DOCUMENTS_FOLDER INPUT_FILE\n", argv[0]);
    return 2;
  }
  SilentWindow window;
  FolderState folders;
  SettingsState settings;
  ConversionState conversion;
  CVornelDlg dialog(window, folders, settings, conversion);
  dialog.SetDocumentsLookup([&] { return U16(argv[1]); });
  dialog.OnInitDialog();
  if (window.endResult != 0) {
    std::fprintf(stderr, "the start was a batch run\n");
    return 1;
  }
  window.SetText(IDC_BROWSE_FILE, U16(argv[2]));
  auto start = Clock::now();
  dialog.OnBnClickedReadFile();
  const double read = SecondsSince(start);
  start = Clock::now();
  dialog.OnBnClickedConvertFile();
  const double convert = SecondsSince(start);
  const auto& lines = window.decimalLines[IDC_EDIT_RESULT];
  const std::size_t results = lines ? lines->Size() : 0;
  std::printf("read_seconds=%.6f\nconvert_seconds=%.6f\nresult_chars=%zu\n", read, convert,
              results);
  return results > 0 && window.messages == 0 ? 0 : 1;
}
