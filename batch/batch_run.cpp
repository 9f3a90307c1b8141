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

}  // namespace

void RunBatchCheck(WindowServices& window, FolderState& folders, SettingsState& settings,
                   ConversionState& conversion) {
  const std::u16string inputPath = BatchInputFileOf(folders.AutoFileDir);
  if (FileExists(inputPath) != 1) return Refuse(window, settings, batch_msg::kInputMissing);
  const std::optional<FileStatus> status = GetFileStatus(inputPath);
  if (!status || status->isDirectory) return Refuse(window, settings, batch_msg::kInputMissing);
  if (status->size == 0) return Refuse(window, settings, batch_msg::kInputEmpty);

  std::optional<std::u16string> text;
  try {
    // Refused while its producer still holds it open for writing: it may be incomplete.
    text = ReadUnicodeTextFile(inputPath, /*denyWriters=*/true);
  } catch (const std::bad_alloc&) {
    text.reset();
  }
  if (!text) {
    if (FileExists(inputPath) != 1) return Refuse(window, settings, batch_msg::kInputMissing);
    return Refuse(window, settings, batch_msg::kInputUnreadable);
  }
  conversion.LoadedText = std::move(*text);
  if (HasNonBinaryChars(conversion.LoadedText)) {
    return Refuse(window, settings, batch_msg::kInputForeign);
  }
  RunAutoProcessing(window, BatchOutputFileOf(folders.ResultDir), inputPath, folders, settings,
                    conversion);
}

void RunAutoProcessing(WindowServices& window, const std::u16string& outputPath,
                       const std::u16string& inputPath, FolderState& folders,
                       SettingsState& settings, ConversionState& conversion) {
  conversion.ListLineCount = 0;
  settings.SettingLineCount = 0;
  window.BeginWaitCursor();

  std::string bytes;
  try {
    SplitIntoNumberList(conversion.LoadedText, conversion.NumberList, conversion.ListLineCount);
    std::u16string().swap(conversion.LoadedText);  // the text is not needed any more
    if (FindOverlongEntry(conversion.NumberList, conversion.ListLineCount) >= 0) {
      conversion.NumberList.Clear();
      ShowGated(window, settings, kLimitMessage, kIconError);
      window.EndDialog(kBatchResult);
      return;
    }
    bytes = ResultBytes(conversion.NumberList, conversion.ListLineCount);
    conversion.NumberList.Clear();
  } catch (const std::bad_alloc&) {
    conversion.NumberList.Clear();
    ShowGated(window, settings, msg::kOutOfMemory, kIconError);
    window.EndDialog(kBatchResult);
    return;
  }

  // The result appears complete or not at all; without it the input stays for a retry.
  if (!ReplaceFileAtomically(outputPath, bytes)) {
    ShowGated(window, settings, batch_msg::kOutputUnwritable, kIconError);
    window.EndDialog(kBatchResult);
    return;
  }
  std::string().swap(bytes);
  if (!DeleteInput(inputPath)) {
    ShowGated(window, settings, batch_msg::kInputNotDeleted, kIconError);
    window.EndDialog(kBatchResult);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (folders.AutoProcessingOn == 0) window.SetCheck(IDC_CHK_AUTO, 0);
  window.Beep();
  ShowGated(window, settings, batch_msg::kCompleted, kIconInformation);
  window.EndDialog(kBatchResult);
}
