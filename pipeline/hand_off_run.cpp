#include "pipeline/hand_off_run.h"

#include <new>
#include <optional>
#include <string_view>

#include "pipeline/batch_pipeline.h"
#include "storage/file_access.h"
#include "storage/run_lock.h"
#include "storage/working_folders.h"

namespace {

using Outcome = HandOffOutcome;

// `outcome` with the count of the numbers `input` holds.
HandOffResult Counted(Outcome outcome, const ConvertedInput& input) {
  return {outcome, input.numbers};
}

Outcome OutcomeOf(HandOverFailure failure) {
  switch (failure) {
    case HandOverFailure::kResultUnwritable:
      return Outcome::kResultUnwritable;
    case HandOverFailure::kInputNotDeleted:
      return Outcome::kInputNotDeleted;
  }
  return Outcome::kResultUnwritable;
}

// The run while its caller holds the lock. Throws std::bad_alloc when memory runs out before
// the result is in place; the file beside the result is then gone with the unwinding.
HandOffResult RunHolding(const HandOffFolders& folders, const std::function<void()>& converted) {
  const std::u16string inputPath = BatchInputFileOf(folders.autoFileDir);
  const std::optional<FileStatus> status = GetFileStatus(inputPath);
  if (FileExists(inputPath) != 1 || !status || status->isDirectory) return {Outcome::kInputMissing};
  if (status->size == 0) return {Outcome::kInputEmpty};

  const std::u16string outputPath = BatchOutputFileOf(folders.resultDir);
  std::optional<FileReplacement> result;
  std::optional<ConvertedInput> input;
  try {
    // Results that runs killed or crashed before their end left beside the result file are of
    // no use: while this run holds the lock, no other run is writing one.
    RemoveLeftoverReplacements(outputPath);
    // The result goes beside the result file while the input is converted.
    result.emplace(outputPath);
    // Refused while its producer still holds it open for writing: it may be incomplete.
    input =
        ConvertBatchInput(inputPath, [&](std::string_view bytes) { return result->Write(bytes); });
  } catch (const std::bad_alloc&) {
    // A replacement that ran out of memory after making its file beside leaves it there.
    result.reset();
    RemoveLeftoverReplacements(outputPath);
    return {Outcome::kOutOfMemory};
  }
  if (!input) {
    return {FileExists(inputPath) != 1 ? Outcome::kInputMissing : Outcome::kInputUnreadable};
  }
  if (input->foreign) return {Outcome::kInputForeign};
  converted();
  if (input->tooLong) return Counted(Outcome::kTooLong, *input);
  const std::optional<HandOverFailure> failure = HandOver(*result, inputPath, *input);
  return Counted(failure ? OutcomeOf(*failure) : Outcome::kCompleted, *input);
}

}  // namespace

HandOffResult RunHandOff(const HandOffFolders& folders, std::chrono::milliseconds lockWait,
                         const std::function<void()>& converted) {
  try {
    // Runs on one hand-off folder take turns, so that two starts at the same moment never
    // work on one input together, whatever session or machine they run in. The lock goes with
    // the return: the next run need not wait for this one's messages.
    const RunLock lock(RunLockFileOf(folders.tempDir), lockWait);
    if (!lock.Held()) return {Outcome::kAnotherRunBusy};
    return RunHolding(folders, converted);
  } catch (const std::bad_alloc&) {
    return {Outcome::kOutOfMemory};
  }
}
