// Times the text view's keys on a long text, as a held key gives them: the real Vornel.exe
// reads INPUT_FILE into its file text view; then one key at a time is sent to the view, and
// the next waits until the view has painted what the key changed. Down and Page Down run
// PRESSES times from the top, Up and Page Up from the end, and a key the view ignores as many
// times (the cost of the measuring itself). Prints, per kind of key, the median, the mean and
// the longest time of a key with its paint, as key=value lines for
// bench/run.sh. A held key repeats about 30 times a second: a view that keeps up takes well
// under 33 ms a key.
//
//   vornel_bench_wine_view_keys VORNEL_EXE INPUT_FILE [PRESSES]
// Paths are Windows paths. The hand-off folder must not exist (the start is interactive).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/started_dialog.h"
#include "res/resource.h"

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &result);
  return static_cast<LRESULT>(result);
}

// The caret's position as EM_GETSEL returns it (a pointer would point into this process);
// 0xFFFF stands for any position past it.
DWORD Caret(HWND view) { return HIWORD(static_cast<DWORD>(Send(view, EM_GETSEL))); }

struct KeyTimes {
  double medianMs = 0;
  double meanMs = 0;
  double longestMs = 0;
};

// Sends `key` `presses` times, each followed by the paint it causes.
KeyTimes Press(HWND view, WPARAM key, int presses) {
  std::vector<double> took;
  for (int i = 0; i < presses; ++i) {
    const double start = Now();
    Send(view, WM_KEYDOWN, key, 1);
    Send(view, WM_KEYUP, key, 0xC0000001);
    // The paint has begun once nothing is left to paint, and is over when the view answers.
    WaitUntil([&] { return !GetUpdateRect(view, nullptr, FALSE); }, kTimeoutMs, 0);
    Send(view, WM_NULL);
    took.push_back((Now() - start) * 1000);
  }
  KeyTimes times;
  double total = 0;
  for (const double ms : took) total += ms;
  times.meanMs = total / static_cast<double>(took.size());
  times.longestMs = *std::max_element(took.begin(), took.end());
  std::nth_element(took.begin(), took.begin() + took.size() / 2, took.end());
  times.medianMs = took[took.size() / 2];
  return times;
}

void Print(const char* name, const KeyTimes& times) {
  std::printf("%s_median_ms=%.3f\n%s_mean_ms=%.3f\n%s_longest_ms=%.3f\n", name, times.medianMs,
              name, times.meanMs, name, times.longestMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fwprintf(stderr, L"usage: %ls VORNEL_EXE INPUT_FILE [PRESSES]\n", argv[0]);
    return 2;
  }
  const std::wstring program = argv[1];
  const int presses = argc == 4 ? std::max(1, _wtoi(argv[3])) : 300;
  PROCESS_INFORMATION info;
  const HWND dialog = StartDialog(program, info);
  if (info.hProcess == nullptr) return 1;
  int status = 1;
  if (dialog == nullptr) {
    std::fwprintf(stderr, L"the dialog did not appear\n");
  } else {
    const HWND view = GetDlgItem(dialog, IDC_EDIT_FILE_TEXT);
    Send(GetDlgItem(dialog, IDC_BROWSE_FILE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
    PostMessageW(GetDlgItem(dialog, IDC_BTN_READ_FILE), BM_CLICK, 0, 0);
    const bool read = WaitUntil(
        [&] {
          return IsWindowVisible(GetDlgItem(dialog, IDC_BTN_CONVERT_FILE)) &&
                 Send(view, WM_GETTEXTLENGTH) > 0;
        },
        kTimeoutMs, 0);
    const auto length = static_cast<WPARAM>(Send(view, WM_GETTEXTLENGTH));
    if (read) {
      // A click gives the view the focus, and with it the system caret the keys move.
      Send(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
      Send(view, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
      std::printf("text_chars=%llu\npresses=%d\n", static_cast<unsigned long long>(length),
                  presses);
      // A key the view ignores: the round trips of the measuring itself.
      Print("ignored", Press(view, VK_F24, presses));
      Print("down", Press(view, VK_DOWN, presses));
      const bool downMoved = Caret(view) > 0;
      Send(view, EM_SETSEL, 0, 0);
      Send(view, EM_SCROLLCARET);
      Print("page_down", Press(view, VK_NEXT, presses));
      const bool pageMoved = Caret(view) > 0;
      Send(view, EM_SETSEL, length, static_cast<LPARAM>(length));
      Send(view, EM_SCROLLCARET);
      Print("up", Press(view, VK_UP, presses));
      Send(view, EM_SETSEL, length, static_cast<LPARAM>(length));
      Send(view, EM_SCROLLCARET);
      Print("page_up", Press(view, VK_PRIOR, presses));
      status = downMoved && pageMoved ? 0 : 1;
      if (status != 0) std::fwprintf(stderr, L"the keys did not move the caret\n");
    } else {
      std::fwprintf(stderr, L"the file was not read\n");
    }
    PostMessageW(GetDlgItem(dialog, IDC_BTN_EXIT), BM_CLICK, 0, 0);
  }
  if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0)
    TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return status;
}
