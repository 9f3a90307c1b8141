// The batch run: a start whose hand-off folder exists runs the hand-off (pipeline/), shows its
// outcome only behind the message gate and ends the dialog by itself.
#include <chrono>
#include <cstddef>
#include <iterator>
#include <new>
#include <thread>

#include "convert/binary.h"
#include "pipeline/hand_off_run.h"
#include "res/resource.h"
#include "ui/batch_messages.h"
#include "ui/control_states.h"
#include "ui/message_gate.h"
#include "ui/vornel_dlg.h"

namespace {

constexpr int kBatchResult = -1;

// Calling programs see the input go a moment before the sound, as they always have.
constexpr std::chrono::milliseconds kPauseBeforeSound{100};

// What the dialog does after a hand-off run: a refused input leaves the controls idle; a
// converted one is counted (the wait cursor came on as its conversion ended).
enum class Ending { kRefused, kConverted };

struct OutcomeText {
  HandOffOutcome outcome;
  std::u16string_view text;
  MessageIcon icon;
  Ending ending;
};

using enum HandOffOutcome;
// In the order of HandOffOutcome.
constexpr OutcomeText kOutcomeTexts[] = {
    {kCompleted, batch_msg::kCompleted, MessageIcon::kInformation, Ending::kConverted},
    {kAnotherRunBusy, batch_msg::kAnotherRunBusy, MessageIcon::kError, Ending::kRefused},
    {kInputMissing, batch_msg::kInputMissing, MessageIcon::kError, Ending::kRefused},
    {kInputEmpty, batch_msg::kInputEmpty, MessageIcon::kError, Ending::kRefused},
    {kInputUnreadable, batch_msg::kInputUnreadable, MessageIcon::kError, Ending::kRefused},
    {kInputForeign, batch_msg::kInputForeign, MessageIcon::kError, Ending::kRefused},
    {kTooLong, kLimitMessage, MessageIcon::kError, Ending::kConverted},
    {kResultUnwritable, batch_msg::kOutputUnwritable, MessageIcon::kError, Ending::kConverted},
    {kInputNotDeleted, batch_msg::kInputNotDeleted, MessageIcon::kError, Ending::kConverted},
    {kOutOfMemory, batch_msg::kOutOfMemory, MessageIcon::kError, Ending::kRefused},
};

constexpr bool EveryOutcomeInItsRow() {
  for (std::size_t k = 0; k < std::size(kOutcomeTexts); ++k) {
    if (static_cast<std::size_t>(kOutcomeTexts[k].outcome) != k) return false;
  }
  return kOutcomeTexts[std::size(kOutcomeTexts) - 1].outcome == kOutOfMemory;
}
static_assert(EveryOutcomeInItsRow());

const OutcomeText& TextOf(HandOffOutcome outcome) {
  return kOutcomeTexts[static_cast<std::size_t>(outcome)];
}

void ShowGated(WindowServices& window, const SettingsState& settings, const OutcomeText& shown) {
  if (MessageGateOpen(window, settings)) window.MessageBox(shown.text, shown.icon);
}

// Refuses the input: the message behind the gate, the idle controls, the end of the dialog.
void Refuse(WindowServices& window, const SettingsState& settings, const OutcomeText& shown) {
  ShowGated(window, settings, shown);
  SetControls(window, kIdle);
  window.EndWaitCursor();
  window.EndDialog(kBatchResult);
}

}  // namespace

void CVornelDlg::RunBatch() {
  const HandOffResult run = RunHandOff({folders_.TempDir, folders_.AutoFileDir, folders_.ResultDir},
                                       batchLockWait_, [this] { window_.BeginWaitCursor(); });
  const OutcomeText& shown = TextOf(run.outcome);
  if (shown.ending == Ending::kRefused) return Refuse(window_, settings_, shown);

  conversion_.ListLineCount = run.numbers;
  settings_.SettingLineCount = 0;
  if (run.outcome == kCompleted) {
    std::this_thread::sleep_for(kPauseBeforeSound);
    if (folders_.AutoProcessingOn == 0) window_.SetCheck(IDC_CHK_AUTO, 0);
    window_.Beep();
  }
  ShowGated(window_, settings_, shown);
  window_.EndDialog(kBatchResult);
}

void CVornelDlg::RefuseStartWithoutMemory() {
  try {
    Refuse(window_, settings_, TextOf(kOutOfMemory));
  } catch (const std::bad_alloc&) {
    window_.EndDialog(kBatchResult);
  }
}
