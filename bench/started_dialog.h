#pragma once
// What the wine drivers of the dialog share: a clock, a polled wait, and the real Vornel.exe
// started with its dialog found.

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bench/timed_runs.h"

inline constexpr DWORD kTimeoutMs = 10 * 60 * 1000;

// Seconds on the performance counter.
inline double Now() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls `condition` about every `pauseMs` until it holds; false when `timeoutMs` passed first.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs,
                      DWORD pauseMs = 1) {
  const double deadline = Now() + timeoutMs / 1000.0;
  while (!condition()) {
    if (Now() > deadline) return false;
    Sleep(pauseMs);
  }
  return true;
}

// The visible dialog of process `process` that no window owns; nullptr while there is none.
inline HWND DialogOfProcess(DWORD process) {
  struct Search {
    DWORD process = 0;
    HWND found = nullptr;
  } search{process};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (owner != search.process || !IsWindowVisible(window) ||
            std::wstring(name) != L"#32770" || GetWindow(window, GW_OWNER) != nullptr) {
          return TRUE;
        }
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Starts `program` into `info` and waits up to a minute for its dialog. nullptr when it did not
// appear; `info.hProcess` is then nullptr too when the program did not start (said on standard
// error).
inline HWND StartDialog(const std::wstring& program, PROCESS_INFORMATION& info) {
  std::wstring commandLine = L"\"" + program + L"\"";
  LARGE_INTEGER started;
  if (!StartProgram(program, commandLine, info, started)) return nullptr;
  HWND dialog = nullptr;
  WaitUntil([&] { return (dialog = DialogOfProcess(info.dwProcessId)) != nullptr; }, 60000, 20);
  return dialog;
}
