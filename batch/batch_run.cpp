#include "batch/batch_run.h"

#include <chrono>
#include <new>
#include <string_view>
#include <thread>

#include "batch/batch_messages.h"
#include "convert/binary.h"
#include "convert/split.h"
#include "res/resource.h"
#include "storage/file_access.h"
#include "ui/message_gate.h"
#include "ui/messages.h"

namespace {

constexpr int kBatchResult = -1;
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

// The result file's bytes: each number's decimal text followed by CR LF.
std::string ResultBytes(const LineList& numbers, std::int64_t count) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(count) * 12);
  for (std::int64_t k = 0; k < count; ++k) {
    AppendDecimalOf(bytes, numbers[k]);
    bytes += "\r\n";
  }
  return bytes;
}

bool DeleteInput(const std::u16string& inputPath) {
  const std::optional<FileStatus> status = GetFileStatus(inputPath);
  if (!status) return true;  // already gone: nothing left to delete
  if (status->readOnly) ClearReadOnly(inputPath);
  return RemoveFile(inputPath);
}

// Splits, checks the lengths, converts, writes the result and deletes the input. The message
// of the failure that stopped it; nullopt when all went through.
std::optional<std::u16string_view> ConvertAndHandOver(const std::u16string& outputPath,
                                                      const std::u16string& inputPath,
                                                      ConversionState& conversion) {
  std::string bytes;
  try {
    SplitIntoNumberList(conversion.LoadedText, conversion.NumberList, conversion.ListLineCount);
    std::u16string().swap(conversion.LoadedText);  // the text is not needed any more
    const bool tooLong = FindOverlongEntry(conversion.NumberList, conversion.ListLineCount) >= 0;
    if (!tooLong) bytes = ResultBytes(conversion.NumberList, conversion.ListLineCount);
    conversion.NumberList.Clear();
    if (tooLong) return kLimitMessage;
  } catch (const std::bad_alloc&) {
    conversion.NumberList.Clear();
    return msg::kOutOfMemory;
  }
  // The result appears complete or not at all; without it the input stays for a retry.
  if (!ReplaceFileAtomically(outputPath, bytes)) return batch_msg::kOutputUnwritable;
  std::string().swap(bytes);
  if (!DeleteInput(inputPath)) return batch_msg::kInputNotDeleted;
  return std::nullopt;
}

}  // namespace

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

  std::optional<std::u16string> text;
  try {
    // Refused while its producer still holds it open for writing: it may be incomplete.
    text = ReadUnicodeTextFile(inputPath, /*denyWriters=*/true);
  } catch (const std::bad_alloc&) {
    text.reset();
  }
  if (!text) {
    const bool gone = FileExists(inputPath) != 1;
    lock.reset();
    return Refuse(window, settings, gone ? batch_msg::kInputMissing : batch_msg::kInputUnreadable);
  }
  conversion.LoadedText = std::move(*text);
  if (HasNonBinaryChars(conversion.LoadedText)) {
    std::u16string().swap(conversion.LoadedText);
    lock.reset();
    return Refuse(window, settings, batch_msg::kInputForeign);
  }
  RunAutoProcessing(window, BatchOutputFileOf(folders.ResultDir), inputPath, folders, settings,
                    conversion, &lock);
}

void RunAutoProcessing(WindowServices& window, const std::u16string& outputPath,
                       const std::u16string& inputPath, FolderState& folders,
                       SettingsState& settings, ConversionState& conversion,
                       std::optional<RunLock>* handOffLock) {
  conversion.ListLineCount = 0;
  settings.SettingLineCount = 0;
  window.BeginWaitCursor();
  const std::optional<std::u16string_view> failure =
      ConvertAndHandOver(outputPath, inputPath, conversion);
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
