// The hand-off run timed in its own process under wine: the work of a batch run beyond the
// program's start-up (the run lock, reading and converting the input, writing the result,
// flushing it, putting it in place, deleting the input), without the start of a wine process,
// whose time scatters by more than the run itself lasts. Each run's input is put in place first
// (a hard link to the prepared file, so that nothing is copied). Prints key=value lines for
// bench/run.sh: the median and the best run.
//
//   vornel_bench_wine_hand_off PREPARED_INPUT TEMP_DIR HANDOFF_DIR RESULT_DIR RUNS
// All paths are Windows paths. Exit status 0 when every run converted its input.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "pipeline/hand_off_run.h"
#include "storage/working_folders.h"

namespace {

std::u16string U16(const wchar_t* text) {
  const std::wstring wide = text;
  return std::u16string(wide.begin(), wide.end());
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fwprintf(stderr, L"usage: %ls PREPARED_INPUT TEMP_DIR HANDOFF_DIR RESULT_DIR RUNS\n",
                  argv[0]);
    return 2;
  }
  const std::wstring prepared = argv[1];
  const HandOffFolders folders{U16(argv[2]), U16(argv[3]), U16(argv[4])};
  const int runs = std::max(1, _wtoi(argv[5]));
  const std::wstring input = Wide(BatchInputFileOf(folders.autoFileDir));
  const std::wstring result = Wide(BatchOutputFileOf(folders.resultDir));

  std::vector<double> seconds;
  for (int k = 0; k < runs; ++k) {
    DeleteFileW(input.c_str());
    // As the batch driver does: replacing the last run's result would add the freeing of its
    // file to the run.
    DeleteFileW(result.c_str());
    if (!CreateHardLinkW(input.c_str(), prepared.c_str(), nullptr) &&
        !CopyFileW(prepared.c_str(), input.c_str(), FALSE)) {
      std::fwprintf(stderr, L"cannot put the input in place: %ls\n", input.c_str());
      return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const HandOffResult run = RunHandOff(folders, std::chrono::milliseconds(0), [] {});
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (run.outcome != HandOffOutcome::kCompleted) {
      std::fwprintf(stderr, L"the run did not convert its input (outcome %d)\n",
                    static_cast<int>(run.outcome));
      return 1;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("seconds=%.6f\nbest_seconds=%.6f\n", seconds[seconds.size() / 2], seconds.front());
  return 0;
}
