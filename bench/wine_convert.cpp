// Starts vornel-convert.exe under wine on one input file and measures its runs from outside,
// as a calling program sees them: for each run the output is removed, the converter is started
// with "--crlf INPUT OUTPUT" and waited for, and its wall time and peak working set
// (GetProcessMemoryInfo) are taken. With BASIS_INPUT, a one-line input, each run follows a run
// on it, and the runs' times beyond start-up are told from the pairs. Prints key=value lines
// for bench/run.sh.
//
//   vornel_bench_wine_convert CONVERTER_EXE INPUT OUTPUT RUNS [BASIS_INPUT]
// All paths are Windows paths. Exit status 0 when every run converted its input.

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/timed_runs.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 && argc != 6) {
    std::fwprintf(stderr, L"usage: %ls CONVERTER_EXE INPUT OUTPUT RUNS [BASIS_INPUT]\n", argv[0]);
    return 2;
  }
  const std::wstring program = argv[1];
  const std::wstring input = argv[2];
  const std::wstring output = argv[3];
  const int runs = std::max(1, _wtoi(argv[4]));
  const std::wstring basis = argc == 6 ? argv[5] : L"";

  SIZE_T peak = 0;
  // One run of the converter on `from`; its wall time, or a negative time when it failed.
  const auto convertRun = [&](const std::wstring& from) {
    DeleteFileW(output.c_str());
    TimedRun run;
    const std::wstring commandLine =
        L"\"" + program + L"\" --crlf \"" + from + L"\" \"" + output + L"\"";
    if (!RunTimed(program, commandLine, run) || run.exitCode != 0 ||
        GetFileAttributesW(output.c_str()) == INVALID_FILE_ATTRIBUTES) {
      std::fwprintf(stderr, L"the converter did not convert its input (exit code %lu)\n",
                    run.exitCode);
      return -1.0;
    }
    if (from == input) peak = std::max(peak, run.peakWorkingSet);
    return run.seconds;
  };
  return TimePairedRuns(runs, input, basis, convertRun, peak) ? 0 : 1;
}
