// Starts vornel-convert.exe under wine on one input file and measures its runs from outside,
// as a calling program sees them: for each run the output is removed, the converter is started
// with "--crlf INPUT OUTPUT" and waited for, and its wall time and peak working set
// (GetProcessMemoryInfo) are taken. Prints key=value lines for bench/run.sh.
//
//   vornel_bench_wine_convert CONVERTER_EXE INPUT OUTPUT RUNS
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

struct Run {
  double seconds = 0;
  SIZE_T peakWorkingSet = 0;
  DWORD exitCode = 1;
};

// One run of the converter; false when it could not be started or did not end in time.
bool RunOnce(const std::wstring& program, const std::wstring& input, const std::wstring& output,
             Run& run) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + program + L"\" --crlf \"" + input + L"\" \"" + output + L"\"";
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return false;
  }
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
  if (!ended) TerminateProcess(info.hProcess, 1);
  GetExitCodeProcess(info.hProcess, &run.exitCode);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  run.seconds = Seconds(start, end);
  return ended;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fwprintf(stderr, L"usage: %ls CONVERTER_EXE INPUT OUTPUT RUNS\n", argv[0]);
    return 2;
  }
  const std::wstring program = argv[1];
  const std::wstring input = argv[2];
  const std::wstring output = argv[3];
  const int runs = std::max(1, _wtoi(argv[4]));

  std::vector<double> times;
  SIZE_T peak = 0;
  for (int k = 0; k < runs; ++k) {
    DeleteFileW(output.c_str());
    Run run;
    if (!RunOnce(program, input, output, run) || run.exitCode != 0 ||
        GetFileAttributesW(output.c_str()) == INVALID_FILE_ATTRIBUTES) {
      std::fwprintf(stderr, L"the converter did not convert its input (exit code %lu)\n",
                    run.exitCode);
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
