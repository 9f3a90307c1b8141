#pragma once
// Automatic processing: a start whose hand-off folder exists converts the input file there
// into the result file, deletes the input and ends the dialog by itself.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "convert/conversion_state.h"
#include "storage/file_access.h"
#include "storage/run_lock.h"
#include "storage/settings.h"
#include "storage/working_folders.h"
#include "ui/window_services.h"

// How long a start waits for another batch run on the same hand-off folder to finish.
inline constexpr std::chrono::milliseconds kBatchLockWait = std::chrono::minutes(5);

// The check of a start whose hand-off folder exists: waits up to `lockWait` for other runs on
// the folder, then refuses an unusable input file or converts it with RunAutoProcessing. Ends
// the dialog with -1 in every case.
void RunBatchCheck(WindowServices& window, FolderState& folders, SettingsState& settings,
                   ConversionState& conversion,
                   std::chrono::milliseconds lockWait = kBatchLockWait);

// Bytes of the input the batch run converts at a time: enough for two threads to share each
// piece at little cost, little next to the memory a run may take.
inline constexpr std::size_t kBatchPieceBytes = std::size_t{1} << 20;

// What became of the batch input file, read, tested, split, limited and converted in one
// pass.
struct ConvertedInput {
  bool foreign = false;       // a character other than '0', '1', CR and LF was met
  bool tooLong = false;       // a non-empty line longer than kLongestLine was met
  bool resultFailed = false;  // `write` failed
  std::int64_t numbers = 0;   // lines converted
};

// Reads the Unicode text file at `inputPath` (refused while another program holds it open
// for writing) and converts its numbers as the batch run does, piece by piece as it is read
// (`pieceBytes` at a time), so that neither its text nor its result is ever held whole:
// tests its characters, splits it into numbers, applies the length limit and hands the
// result file's bytes (each number's decimal text and CR LF) to `write` as they come, until
// `write` fails or the input turns out foreign or too long. nullopt when the file cannot be
// opened or read. Throws std::bad_alloc when memory runs out.
std::optional<ConvertedInput> ConvertBatchInput(
    const std::u16string& inputPath, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes = kBatchPieceBytes);

// Hands over the converted `input` (free of foreign characters): puts `result`, its result
// written so far, in place and deletes `inputPath`, or reports the line that is too long;
// sets conversion.ListLineCount; ends the dialog with -1 on every path. `handOffLock`, when
// given, is released as soon as the files are done, before the run waits for anything.
void RunAutoProcessing(WindowServices& window, FileReplacement& result,
                       const std::u16string& inputPath, const FolderState& folders,
                       SettingsState& settings, ConversionState& conversion,
                       const ConvertedInput& input, std::optional<RunLock>* handOffLock = nullptr);
