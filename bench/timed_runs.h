#pragma once
// Starts of a program measured from outside, as a calling program sees them: wall time, peak
// working set (GetProcessMemoryInfo) and exit code of each, and the key=value lines that
// bench/run.sh reads. Shared by the wine drivers of Vornel.exe and vornel-convert.exe.

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

struct TimedRun {
  double seconds = 0;
  SIZE_T peakWorkingSet = 0;
  DWORD exitCode = 1;
};

inline double SecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Starts `program` with `commandLine`, filling `info`, and sets `start` to the moment of the
// start that succeeded; a start that fails is tried twice more, since wine now and then fails
// one with ERROR_INTERNAL_ERROR (1359). false, with the reason on standard error, when all fail.
inline bool StartProgram(const std::wstring& program, std::wstring& commandLine,
                         PROCESS_INFORMATION& info, LARGE_INTEGER& start) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  info = {};
  for (int attempt = 0; attempt < 3; ++attempt) {
    QueryPerformanceCounter(&start);
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
      return true;
    }
    std::fwprintf(stderr, L"%ls could not be started: error %lu\n", program.c_str(),
                  GetLastError());
  }
  return false;
}

// Starts `program` with `commandLine` and waits for its end, filling `run`; false, with the
// reason on standard error, when it could not be started or did not end within 10 minutes.
inline bool RunTimed(const std::wstring& program, std::wstring commandLine, TimedRun& run) {
  PROCESS_INFORMATION info{};
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  if (!StartProgram(program, commandLine, info, start)) return false;
  // The peak is sampled while the program runs, too, in case it cannot be asked once the
  // program has ended.
  const auto samplePeak = [&] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
      run.peakWorkingSet = std::max(run.peakWorkingSet, counters.PeakWorkingSetSize);
    }
  };
  bool ended = false;
  do {
    ended = WaitForSingleObject(info.hProcess, 5) == WAIT_OBJECT_0;
    if (!ended) samplePeak();
    QueryPerformanceCounter(&end);
  } while (!ended && SecondsBetween(start, end) < 10 * 60);
  samplePeak();
  if (!ended) {
    std::fwprintf(stderr, L"the program did not end within 10 minutes\n");
    TerminateProcess(info.hProcess, 1);
  }
  GetExitCodeProcess(info.hProcess, &run.exitCode);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  run.seconds = SecondsBetween(start, end);
  return ended;
}

// Prints the median and the best of `seconds` (at least one) and the largest peak working set.
inline void PrintTimedRuns(std::vector<double> seconds, SIZE_T peak) {
  std::sort(seconds.begin(), seconds.end());
  std::printf("seconds=%.6f\nbest_seconds=%.6f\npeak_working_set_bytes=%llu\n",
              seconds[seconds.size() / 2], seconds.front(), static_cast<unsigned long long>(peak));
}

// Prints what PrintTimedRuns prints for `seconds`, and for runs each paired with a run of the
// same program on a one-line input just before it (`basis`, as many): the median basis run and
// the median of each run less its basis run, the run's time beyond start-up. Pairing each run
// with its own basis keeps a drift of the machine's speed across the runs out of the difference.
inline void PrintPairedRuns(const std::vector<double>& seconds, std::vector<double> basis,
                            SIZE_T peak) {
  PrintTimedRuns(seconds, peak);
  std::vector<double> beyond;
  for (std::size_t k = 0; k < seconds.size() && k < basis.size(); ++k) {
    beyond.push_back(seconds[k] - basis[k]);
  }
  if (beyond.empty()) return;
  std::sort(basis.begin(), basis.end());
  std::sort(beyond.begin(), beyond.end());
  std::printf("basis_seconds=%.6f\nbeyond_seconds=%.6f\n", basis[basis.size() / 2],
              beyond[beyond.size() / 2]);
}

// Runs `timed` on `input` `runs` times, each after a run on `basis` unless that is empty, and
// prints the times as PrintPairedRuns does with `peak` as it stands at the end; false as soon as
// a run fails (`timed` gives a negative time).
inline bool TimePairedRuns(int runs, const std::wstring& input, const std::wstring& basis,
                           const std::function<double(const std::wstring&)>& timed,
                           const SIZE_T& peak) {
  std::vector<double> times;
  std::vector<double> basisTimes;
  for (int k = 0; k < runs; ++k) {
    if (!basis.empty()) {
      basisTimes.push_back(timed(basis));
      if (basisTimes.back() < 0) return false;
    }
    times.push_back(timed(input));
    if (times.back() < 0) return false;
  }
  PrintPairedRuns(times, basisTimes, peak);
  return true;
}
