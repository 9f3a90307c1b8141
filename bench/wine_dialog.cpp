// Drives the interactive file conversion of the real Vornel.exe from outside, as a user
// would, and times it: Read file on a given file, Convert file data on the file already read
// (from the click until the results show and the buttons are enabled again), the same on the
// larger CANCEL_INPUT_FILE, REPEATS times each in turn (the times printed are the medians), and
// how soon Cancel's message box appears after a click on Cancel, once in the splitting phase
// and once in the conversion phase (tried in up to CONVERSION_PHASE_TRIES runs) of a run on
// the larger file. Prints key=value lines for bench/run.sh and bench/compare.sh.
//
//   vornel_bench_wine_dialog VORNEL_EXE INPUT_FILE CANCEL_INPUT_FILE CONVERSION_PHASE_TRIES
//                            [REPEATS]
// Paths are Windows paths. The hand-off folder must not exist (the start is interactive).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "bench/started_dialog.h"
#include "res/resource.h"

namespace {

constexpr UINT kSendTimeoutMs = 2000;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct Search {
  HWND owner = nullptr;
  HWND found = nullptr;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  if (GetWindow(window, GW_OWNER) != search.owner || !IsWindowVisible(window) ||
      ClassOf(window) != L"#32770") {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

// A visible message box (or other dialog) owned by `dialog`; nullptr when there is none.
HWND OwnedBox(HWND dialog) {
  Search search;
  search.owner = dialog;
  EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The length of a control's text; -1 while the program does not answer.
long long TextLength(HWND dialog, int id) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                           kSendTimeoutMs, &length)) {
    return -1;
  }
  return static_cast<long long>(length);
}

// The percentage the progress text shows; -1 while there is none or no answer.
int ShownPercent(HWND dialog) {
  wchar_t text[64] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(GetDlgItem(dialog, IDC_EDIT_PROGRESS), WM_GETTEXT, 64,
                           reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kSendTimeoutMs, &copied)) {
    return -1;
  }
  // "進捗率　N %": the number follows the fourth character.
  if (copied < 5) return -1;
  return _wtoi(text + 4);
}

// Whether a run is over: the results are there and the commands are back.
bool RunOver(HWND dialog) {
  return !Visible(dialog, IDC_BTN_CANCEL) && Enabled(dialog, IDC_BTN_SAVE) &&
         Enabled(dialog, IDC_BTN_READ_FILE);
}

struct CancelTiming {
  bool hit = false;
  double seconds = 0;
  int percent = -1;  // shown when the message box appeared
};

// Clicks Cancel once `ready` holds during a run, and times its message box.
CancelTiming CancelWhen(HWND dialog, const std::function<bool()>& ready) {
  CancelTiming timing;
  Click(dialog, IDC_BTN_CONVERT_FILE);
  // The run has begun once Cancel shows.
  if (!WaitUntil([&] { return Visible(dialog, IDC_BTN_CANCEL); }, kTimeoutMs, 0)) return timing;
  bool clicked = false;
  WaitUntil(
      [&] {
        if (!Visible(dialog, IDC_BTN_CANCEL)) return true;  // the run ended first
        if (!ready()) return false;
        clicked = true;
        return true;
      },
      kTimeoutMs, 0);
  if (clicked) {
    const double start = Now();
    Click(dialog, IDC_BTN_CANCEL);
    HWND box = nullptr;
    if (WaitUntil([&] { return (box = OwnedBox(dialog)) != nullptr; }, kTimeoutMs, 0)) {
      timing.hit = true;
      timing.seconds = Now() - start;
      timing.percent = ShownPercent(dialog);
      PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
  }
  WaitUntil([&] { return RunOver(dialog); });
  return timing;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Reads `path` into the dialog with Read file; false when the command does not complete.
bool ReadIntoDialog(HWND dialog, const std::wstring& path, double& seconds) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, IDC_BROWSE_FILE), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, kTimeoutMs, &ignored);
  const long long before = TextLength(dialog, IDC_EDIT_FILE_TEXT);
  const double start = Now();
  Click(dialog, IDC_BTN_READ_FILE);
  // Done once the new text shows (Convert file data shows from the first file on).
  const bool read = WaitUntil([&] {
    const long long length = TextLength(dialog, IDC_EDIT_FILE_TEXT);
    return Visible(dialog, IDC_BTN_CONVERT_FILE) && length > 0 && length != before;
  });
  seconds = Now() - start;
  return read;
}

// The time of one Convert file data run from the click to the results.
double ConvertSeconds(HWND dialog) {
  // Done once the new results show: the dialog looks the same before the click is taken.
  const long long before = TextLength(dialog, IDC_EDIT_RESULT);
  const double start = Now();
  Click(dialog, IDC_BTN_CONVERT_FILE);
  WaitUntil([&] {
    const long long length = TextLength(dialog, IDC_EDIT_RESULT);
    return RunOver(dialog) && length > 0 && length != before;
  });
  return Now() - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 && argc != 6) {
    std::fwprintf(stderr,
                  L"usage: %ls VORNEL_EXE INPUT_FILE CANCEL_INPUT_FILE CONVERSION_PHASE_TRIES"
                  L" [REPEATS]\n",
                  argv[0]);
    return 2;
  }
  const std::wstring program = argv[1];
  const std::wstring input = argv[2];
  const std::wstring cancelInput = argv[3];
  const int tries = _wtoi(argv[4]);
  const int repeats = argc == 6 ? std::max(1, _wtoi(argv[5])) : 5;

  PROCESS_INFORMATION info;
  const HWND dialog = StartDialog(program, info);
  if (info.hProcess == nullptr) return 1;
  int status = 1;
  if (dialog == nullptr) {
    std::fwprintf(stderr, L"the dialog did not appear\n");
  } else {
    // The two files in turn: each read and each conversion shows a text of another length,
    // by which its end is seen. A single run of the small file is shorter than the scatter of
    // the machine's speed; the medians of several are steadier.
    std::vector<double> readTimes;
    std::vector<double> convertTimes;
    std::vector<double> largeReadTimes;
    std::vector<double> largeConvertTimes;
    bool read = true;
    bool converted = true;
    bool cancelRead = true;
    long long fileChars = 0;
    long long resultChars = 0;
    for (int k = 0; k < repeats && read && converted && cancelRead; ++k) {
      double seconds = 0;
      read = ReadIntoDialog(dialog, input, seconds);
      readTimes.push_back(seconds);
      const long long before = TextLength(dialog, IDC_EDIT_RESULT);
      const double start = Now();
      Click(dialog, IDC_BTN_CONVERT_FILE);
      converted = read && WaitUntil([&] {
                    const long long length = TextLength(dialog, IDC_EDIT_RESULT);
                    return RunOver(dialog) && length > 0 && length != before;
                  });
      convertTimes.push_back(Now() - start);
      fileChars = TextLength(dialog, IDC_EDIT_FILE_TEXT);
      resultChars = TextLength(dialog, IDC_EDIT_RESULT);
      cancelRead = ReadIntoDialog(dialog, cancelInput, seconds);
      largeReadTimes.push_back(seconds);
      largeConvertTimes.push_back(ConvertSeconds(dialog));
    }
    const double readSeconds = Median(readTimes);
    const double convertSeconds = Median(convertTimes);
    const double cancelReadSeconds = Median(largeReadTimes);
    const double cancelConvertSeconds = Median(largeConvertTimes);
    // Splitting phase: Cancel as soon as the run shows it (the split begins right after), in
    // REPEATS runs.
    std::vector<double> splitTimes;
    for (int k = 0; k < repeats; ++k) {
      const CancelTiming timing = CancelWhen(dialog, [] { return true; });
      if (timing.hit) splitTimes.push_back(timing.seconds);
    }
    // Conversion phase: the click comes as soon as the shown percentage has passed 33 % (the
    // splitting phase never does): the program answers the question at its next pump, and takes
    // the click at the one after, unless the run has ended by then. A click counts when its
    // message box comes while the run shows less than 100 %: a click taken after the run's end
    // (the button is hidden, not disabled, and BM_CLICK does not ask) brings the message too.
    std::vector<double> conversionTimes;
    for (int k = 1; k <= tries; ++k) {
      const CancelTiming timing = CancelWhen(dialog, [&] { return ShownPercent(dialog) >= 34; });
      if (timing.hit && timing.percent >= 34 && timing.percent < 100) {
        conversionTimes.push_back(timing.seconds);
      }
    }

    std::printf("repeats=%zu\n", convertTimes.size());
    std::printf("read_seconds=%.6f\nconvert_seconds=%.6f\n", readSeconds, convertSeconds);
    std::printf("file_text_chars=%lld\nresult_chars=%lld\n", fileChars, resultChars);
    // Each Cancel figure is the median of the runs in which the click came in its phase.
    std::printf("cancel_split_hit=%d\ncancel_split_seconds=%.6f\ncancel_split_runs=%zu\n",
                splitTimes.empty() ? 0 : 1, Median(splitTimes), splitTimes.size());
    std::printf("cancel_convert_hit=%d\ncancel_convert_seconds=%.6f\ncancel_convert_runs=%zu\n",
                conversionTimes.empty() ? 0 : 1, Median(conversionTimes), conversionTimes.size());
    std::printf("cancel_file_read_seconds=%.6f\ncancel_file_convert_seconds=%.6f\n",
                cancelReadSeconds, cancelConvertSeconds);
    status = read && converted && cancelRead ? 0 : 1;
    Click(dialog, IDC_BTN_EXIT);
  }
  if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0)
    TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return status;
}
