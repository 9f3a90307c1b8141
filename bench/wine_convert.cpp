// Starts vornel-convert.exe under wine on one input file and measures its runs from outside,
// as a calling program sees them: for each run the output is removed, the converter is started
// with "--crlf INPUT OUTPUT" and waited for, and its wall time and peak working set
// (GetProcessMemoryInfo) are taken. Prints key=value lines for bench/run.sh.
//
//   vornel_bench_wine_convert CONVERTER_EXE INPUT OUTPUT RUNS
// All paths are Windows paths. Exit status 0 when every run converted its input.

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/timed_runs.h"

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
    TimedRun run;
    const std::wstring commandLine =
        L"\"" + program + L"\" --crlf \"" + input + L"\" \"" + output + L"\"";
    if (!RunTimed(program, commandLine, run) || run.exitCode != 0 ||
        GetFileAttributesW(output.c_str()) == INVALID_FILE_ATTRIBUTES) {
      std::fwprintf(stderr, L"the converter did not convert its input (exit code %lu)\n",
                    run.exitCode);
      return 1;
    }
    times.push_back(run.seconds);
    peak = std::max(peak, run.peakWorkingSet);
  }
  PrintTimedRuns(times, peak);
  return 0;
}
