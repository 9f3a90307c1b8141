// Starts Vornel.exe for batch runs and measures them from outside, as a calling program sees
// them: for each run the input is put in place (a hard link to the prepared file, so that
// nothing is copied), the program is started and waited for, and its wall time and peak
// working set (GetProcessMemoryInfo) are taken. Prints key=value lines for bench/run.sh.
//
//   vornel_bench_wine_batch VORNEL_EXE PREPARED_INPUT HANDOFF_INPUT RESULT RUNS
// All paths are Windows paths. Exit status 0 when every run converted its input.

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Run {
  double seconds = 0;
  SIZE_T peakWorkingSet = 0;
};

// One start of the program; false when it could not be started or did not end in time.
bool RunOnce(const std::wstring& program, Run& run) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + program + L"\"";
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    std::fwprintf(stderr, L"the program could not be started: error %lu\n", GetLastError());
    return false;
  }
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
  } while (!ended && Seconds(start, end) < 10 * 60);
  samplePeak();
  if (!ended) {
    std::fwprintf(stderr, L"the program did not end within 10 minutes\n");
    TerminateProcess(info.hProcess, 1);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  run.seconds = Seconds(start, end);
  return ended;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fwprintf(stderr, L"usage: %ls VORNEL_EXE PREPARED_INPUT HANDOFF_INPUT RESULT RUNS\n",
                  argv[0]);
    return 2;
  }
  const std::wstring program = argv[1];
  const std::wstring prepared = argv[2];
  const std::wstring input = argv[3];
  const std::wstring result = argv[4];
  const int runs = std::max(1, _wtoi(argv[5]));

  std::vector<double> times;
  SIZE_T peak = 0;
  for (int k = 0; k < runs; ++k) {
    DeleteFileW(input.c_str());
    DeleteFileW(result.c_str());
    if (!CreateHardLinkW(input.c_str(), prepared.c_str(), nullptr) &&
        !CopyFileW(prepared.c_str(), input.c_str(), FALSE)) {
      std::fwprintf(stderr, L"cannot put the input in place: %ls\n", input.c_str());
      return 1;
    }
    Run run;
    if (!RunOnce(program, run)) {
      std::fwprintf(stderr, L"the program did not run to its end\n");
      return 1;
    }
    if (Exists(input) || !Exists(result)) {
      std::fwprintf(stderr, L"the run did not convert its input\n");
      return 1;
    }
    times.push_back(run.seconds);
    peak = std::max(peak, run.peakWorkingSet);
  }
  std::sort(times.begin(), times.end());
  std::printf("seconds=%.6f\nbest_seconds=%.6f\npeak_working_set_bytes=%llu\n",
              times[times.size() / 2], times.front(), static_cast<unsigned long long>(peak));
  return 0;
}
