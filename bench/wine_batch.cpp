// Starts Vornel.exe for batch runs and measures them from outside, as a calling program sees
// them: for each run the input is put in place (a hard link to the prepared file, so that
// nothing is copied), the program is started and waited for, and its wall time and peak
// working set (GetProcessMemoryInfo) are taken. With BASIS_INPUT, a prepared one-line input,
// each run follows a run on it, and the runs' times beyond start-up are told from the pairs.
// Prints key=value lines for bench/run.sh.
//
//   vornel_bench_wine_batch VORNEL_EXE PREPARED_INPUT HANDOFF_INPUT RESULT RUNS [BASIS_INPUT]
// All paths are Windows paths. Exit status 0 when every run converted its input.

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/timed_runs.h"

namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 6 && argc != 7) {
    std::fwprintf(stderr,
                  L"usage: %ls VORNEL_EXE PREPARED_INPUT HANDOFF_INPUT RESULT RUNS [BASIS_INPUT]\n",
                  argv[0]);
    return 2;
  }
  const std::wstring program = argv[1];
  const std::wstring prepared = argv[2];
  const std::wstring input = argv[3];
  const std::wstring result = argv[4];
  const int runs = std::max(1, _wtoi(argv[5]));
  const std::wstring basis = argc == 7 ? argv[6] : L"";

  SIZE_T peak = 0;
  // One batch run on `from`; its wall time, or a negative time when it failed.
  const auto batchRun = [&](const std::wstring& from) {
    DeleteFileW(input.c_str());
    DeleteFileW(result.c_str());
    if (!CreateHardLinkW(input.c_str(), from.c_str(), nullptr) &&
        !CopyFileW(from.c_str(), input.c_str(), FALSE)) {
      std::fwprintf(stderr, L"cannot put the input in place: %ls\n", input.c_str());
      return -1.0;
    }
    TimedRun run;
    if (!RunTimed(program, L"\"" + program + L"\"", run)) {
      std::fwprintf(stderr, L"the program did not run to its end\n");
      return -1.0;
    }
    if (Exists(input) || !Exists(result)) {
      std::fwprintf(stderr, L"the run did not convert its input\n");
      return -1.0;
    }
    if (from == prepared) peak = std::max(peak, run.peakWorkingSet);
    return run.seconds;
  };
  return TimePairedRuns(runs, prepared, basis, batchRun, peak) ? 0 : 1;
}
