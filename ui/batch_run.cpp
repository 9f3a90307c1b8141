// The batch run: a start whose hand-off folder exists converts the input file there into the
// result file, deletes the input and ends the dialog by itself, showing its outcome only
// behind the message gate.
#include <chrono>
#include <new>
#include <optional>
#include <thread>

#include "convert/binary.h"
#include "pipeline/batch_pipeline.h"
#include "res/resource.h"
#include "storage/run_lock.h"
#include "ui/batch_messages.h"
#include "ui/control_states.h"
#include "ui/message_gate.h"
#include "ui/vornel_dlg.h"

namespace {

constexpr int kBatchResult = -1;

void ShowGated(WindowServices& window, const SettingsState& settings, std::u16string_view text,
               MessageIcon icon) {
  if (MessageGateOpen(window, settings)) window.MessageBox(text, icon);
}

// Refuses the input: the message behind the gate, the idle controls, the end of the dialog.
void Refuse(WindowServices& window, const SettingsState& settings, std::u16string_view text) {
  ShowGated(window, settings, text, MessageIcon::kError);
  SetControls(window, kIdle);
  window.EndWaitCursor();
  window.EndDialog(kBatchResult);
}

std::u16string_view MessageOf(HandOverFailure failure) {
  switch (failure) {
    case HandOverFailure::kResultUnwritable:
      return batch_msg::kOutputUnwritable;
    case HandOverFailure::kInputNotDeleted:
      return batch_msg::kInputNotDeleted;
  }
  return batch_msg::kOutputUnwritable;
}

}  // namespace

void CVornelDlg::RunBatch() {
  // Batch runs on one hand-off folder take turns, so that two starts at the same moment
  // never work on one input together, whatever session or machine they run in.
  std::optional<RunLock> lock(std::in_place, RunLockFileOf(folders_.TempDir), batchLockWait_);
  if (!lock->Held()) return Refuse(window_, settings_, batch_msg::kAnotherRunBusy);

  const std::u16string inputPath = BatchInputFileOf(folders_.AutoFileDir);
  const std::optional<FileStatus> status = GetFileStatus(inputPath);
  if (FileExists(inputPath) != 1 || !status || status->isDirectory) {
    lock.reset();
    return Refuse(window_, settings_, batch_msg::kInputMissing);
  }
  if (status->size == 0) {
    lock.reset();
    return Refuse(window_, settings_, batch_msg::kInputEmpty);
  }

  const std::u16string outputPath = BatchOutputFileOf(folders_.ResultDir);
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
    lock.reset();
    return Refuse(window_, settings_, batch_msg::kOutOfMemory);
  }
  if (!input) {
    const bool gone = FileExists(inputPath) != 1;
    lock.reset();
    return Refuse(window_, settings_,
                  gone ? batch_msg::kInputMissing : batch_msg::kInputUnreadable);
  }
  if (input->foreign) {
    lock.reset();
    return Refuse(window_, settings_, batch_msg::kInputForeign);
  }

  conversion_.ListLineCount = input->numbers;
  settings_.SettingLineCount = 0;
  window_.BeginWaitCursor();
  std::optional<std::u16string_view> failure;
  if (input->tooLong) {
    failure = kLimitMessage;
  } else if (const auto handOver = HandOver(*result, inputPath, *input)) {
    failure = MessageOf(*handOver);
  }
  lock.reset();  // the files are done: the next run need not wait for this one's messages
  if (failure) {
    ShowGated(window_, settings_, *failure, MessageIcon::kError);
    window_.EndDialog(kBatchResult);
    return;
  }
  // Calling programs see the input go a moment before the sound, as they always have.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (folders_.AutoProcessingOn == 0) window_.SetCheck(IDC_CHK_AUTO, 0);
  window_.Beep();
  ShowGated(window_, settings_, batch_msg::kCompleted, MessageIcon::kInformation);
  window_.EndDialog(kBatchResult);
}

void CVornelDlg::RefuseStartWithoutMemory() {
  try {
    Refuse(window_, settings_, batch_msg::kOutOfMemory);
  } catch (const std::bad_alloc&) {
    window_.EndDialog(kBatchResult);
  }
}
