#include "batch/batch_run.h"

#include <chrono>
#include <new>
#include <string_view>
#include <thread>

#include "batch/batch_messages.h"
#include "convert/binary.h"
#include "convert/piecewise_conversion.h"
#include "res/resource.h"
#include "storage/file_access.h"
#include "storage/text_decoding.h"
#include "ui/message_gate.h"
#include "ui/messages.h"

namespace {

constexpr int kBatchResult = -1;
// Bytes of the result handed on at a time.
constexpr std::size_t kResultRunBytes = std::size_t{1} << 18;
// How long a start waits for another batch run on the same hand-off folder to finish.
constexpr auto kLockWait = std::chrono::minutes(5);

void ShowGated(WindowServices& window, const SettingsState& settings, std::u16string_view text,
               int type) {
  if (MessageGateOpen(window, settings)) window.MessageBox(text, type);
}

// Refuses the input: the message behind the gate, the idle controls, the end of the dialog.
void Refuse(WindowServices& window, const SettingsState& settings, std::u16string_view text) {
  window.ShowControl(IDC_EDIT_PROGRESS, false);
  window.ShowControl(IDC_PROGRESS, false);
  window.ShowControl(IDC_BTN_CANCEL, false);
  ShowGated(window, settings, text, kIconError);
  window.EnableControl(IDC_BTN_EXIT, true);
  window.SetText(IDC_EDIT_PROGRESS, u"");
  window.ShowControl(IDC_EDIT_PROGRESS, false);
  window.ShowControl(IDC_BTN_CANCEL, false);
  window.SetProgressPos(IDC_PROGRESS, 0);
  window.ShowControl(IDC_PROGRESS, false);
  window.EndWaitCursor();
  window.EndDialog(kBatchResult);
}

// Deletes the input; true when it is gone afterwards, also when the calling program removed
// it meanwhile.
bool DeleteInput(const std::u16string& inputPath) {
  const std::optional<FileStatus> status = GetFileStatus(inputPath);
  if (!status) return true;  // already gone: nothing left to delete
  if (status->readOnly) ClearReadOnly(inputPath);
  return RemoveFile(inputPath) || !GetFileStatus(inputPath);
}

// Puts the result in place and deletes the input. The message of the failure that stopped
// it; nullopt when all went through.
std::optional<std::u16string_view> HandOver(FileReplacement& result,
                                            const std::u16string& inputPath,
                                            const ConvertedInput& input) {
  if (input.tooLong) return kLimitMessage;
  // The result appears complete in one step, or not at all; only a reader of the old result
  // that lets others write it gets it written into the open file. Without it the input stays
  // for a retry.
  if (input.resultFailed || !result.CommitOrOverwrite()) return batch_msg::kOutputUnwritable;
  if (!DeleteInput(inputPath)) return batch_msg::kInputNotDeleted;
  return std::nullopt;
}

// Hands the UTF-16LE units of `units` to `conversion` as they are, without decoding: what
// decoding changes (NUL and unpaired surrogates become U+FFFD, a lone LF gains a CR, the last
// line gains CR LF) changes neither which characters are foreign nor any line's digits. Sets
// `oddByte` when the last piece ends in half a unit, which would decode to U+FFFD, foreign.
// Returns the bytes taken.
std::size_t TakeUnits(PiecewiseConversion& conversion, std::string_view units, bool last,
                      bool& oddByte) {
  oddByte = last && units.size() % 2 != 0;
  const std::u16string_view text16(reinterpret_cast<const char16_t*>(units.data()),
                                   units.size() / 2);
  return 2 * conversion.Take(text16, last);
}

}  // namespace

std::optional<ConvertedInput> ConvertBatchInput(
    const std::u16string& inputPath, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes) {
  ConvertedInput input;
  TextBuffer<char> bytes;  // the result, handed on in runs
  // Room for a run and what one piece adds to it at most (three bytes for a line of two
  // characters), so that it never moves; only what is written is ever touched.
  bytes.Reserve(kResultRunBytes + pieceBytes / 2 * 3 / 2 + 64);
  PiecewiseConversion conversion(bytes);
  std::optional<TextEncoding> encoding;
  std::u16string text;  // decoded text of a UTF-8 file not yet taken
  std::optional<UnicodeTextDecoder> decoder;
  bool oddByte = false;
  const auto take = [&](std::string_view piece, bool last) -> std::optional<std::size_t> {
    std::size_t used = 0;
    if (!encoding) {
      encoding = EncodingOf(piece, last);
      if (!encoding) return 0;
      if (encoding->utf8) {
        decoder.emplace(text);  // the decoder takes its mark itself
      } else {
        used = encoding->markBytes;
      }
    }
    if (decoder) {
      used += decoder->Decode(piece, last);
      text.erase(0, conversion.Take(text, last));
    } else {
      used += TakeUnits(conversion, piece.substr(used), last, oddByte);
    }
    // Handed on in runs of some size: each write costs a call into the system.
    if (bytes.Size() >= kResultRunBytes || last) {
      if (!input.resultFailed && !conversion.TooLong() && !write(bytes.View())) {
        input.resultFailed = true;
      }
      bytes.Clear();
    }
    if (conversion.Foreign() || oddByte) return std::nullopt;  // refused: no need to read on
    return used;
  };
  if (!ReadFileInPieces(inputPath, /*denyWriters=*/true, take, pieceBytes)) return std::nullopt;
  input.foreign = conversion.Foreign() || oddByte;
  input.tooLong = conversion.TooLong();
  input.numbers = conversion.Numbers();
  return input;
}

void RunBatchCheck(WindowServices& window, FolderState& folders, SettingsState& settings,
                   ConversionState& conversion) {
  // Batch runs on one hand-off folder take turns, so that two starts at the same moment
  // never work on one input together.
  std::optional<RunLock> lock(std::in_place, folders.AutoFileDir, kLockWait);
  if (!lock->Held()) return Refuse(window, settings, batch_msg::kInputUnreadable);

  const std::u16string inputPath = BatchInputFileOf(folders.AutoFileDir);
  const std::optional<FileStatus> status = GetFileStatus(inputPath);
  if (FileExists(inputPath) != 1 || !status || status->isDirectory) {
    lock.reset();
    return Refuse(window, settings, batch_msg::kInputMissing);
  }
  if (status->size == 0) {
    lock.reset();
    return Refuse(window, settings, batch_msg::kInputEmpty);
  }

  // Results that runs killed or crashed before their end left beside the result file are of
  // no use: while this run holds the lock, no other run is writing one.
  RemoveLeftoverReplacements(BatchOutputFileOf(folders.ResultDir));
  // The result goes beside the result file while the input is converted.
  FileReplacement result(BatchOutputFileOf(folders.ResultDir));
  std::optional<ConvertedInput> input;
  try {
    // Refused while its producer still holds it open for writing: it may be incomplete.
    input =
        ConvertBatchInput(inputPath, [&](std::string_view bytes) { return result.Write(bytes); });
  } catch (const std::bad_alloc&) {
    input.reset();
  }
  if (!input) {
    const bool gone = FileExists(inputPath) != 1;
    lock.reset();
    return Refuse(window, settings, gone ? batch_msg::kInputMissing : batch_msg::kInputUnreadable);
  }
  if (input->foreign) {
    lock.reset();
    return Refuse(window, settings, batch_msg::kInputForeign);
  }
  RunAutoProcessing(window, result, inputPath, folders, settings, conversion, *input, &lock);
}

void RunAutoProcessing(WindowServices& window, FileReplacement& result,
                       const std::u16string& inputPath, const FolderState& folders,
                       SettingsState& settings, ConversionState& conversion,
                       const ConvertedInput& input, std::optional<RunLock>* handOffLock) {
  conversion.ListLineCount = input.numbers;
  settings.SettingLineCount = 0;
  window.BeginWaitCursor();
  const std::optional<std::u16string_view> failure = HandOver(result, inputPath, input);
  if (handOffLock) handOffLock->reset();
  if (failure) {
    ShowGated(window, settings, *failure, kIconError);
    window.EndDialog(kBatchResult);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (folders.AutoProcessingOn == 0) window.SetCheck(IDC_CHK_AUTO, 0);
  window.Beep();
  ShowGated(window, settings, batch_msg::kCompleted, kIconInformation);
  window.EndDialog(kBatchResult);
}
