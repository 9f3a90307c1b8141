// Choosing a file, reading it into the dialog and converting all its lines with progress and
// Cancel.
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <utility>

#include "convert/binary.h"
#include "convert/decimal_lines_text.h"
#include "convert/split.h"
#include "res/resource.h"
#include "storage/file_access.h"
#include "ui/control_states.h"
#include "ui/message_gate.h"
#include "ui/messages.h"
#include "ui/vornel_dlg.h"

void CVornelDlg::OnBnClickedReadFile() {
  const std::u16string path = window_.GetText(IDC_BROWSE_FILE);
  if (path.empty()) {
    window_.MessageBox(msg::kNoFileChosen, MessageIcon::kError);
    return;
  }
  // All or nothing: the text is shown before it is stored, and either step may run out of
  // memory, which leaves the shown and the stored text as they were. The view shares the very
  // text stored rather than a copy, so 200 MiB of new memory is touched once, not twice: Read
  // file of 200 MiB written in 4 KiB pieces, under wine, 2155 → 798 ms (bench/compare.sh,
  // 5 rounds, 2026-12-08, load 4 to 6).
  // Its new memory is touched by two threads first: 200 MiB under wine, 659 → 435 ms
  // (bench/compare.sh, 5 rounds, 2026-12-08).
  std::optional<SharedText> text;
  try {
    if (auto read = ReadUnicodeTextFile<FirstTouchedU16String>(path)) {
      SharedText shared(std::move(*read));
      window_.ShareText(IDC_EDIT_FILE_TEXT, shared);
      text = std::move(shared);
    }
  } catch (const std::bad_alloc&) {
    window_.MessageBox(msg::kOutOfMemory, MessageIcon::kError);
    return;
  }
  if (!text) {
    window_.MessageBox(msg::kFileUnreadable, MessageIcon::kError);
    return;
  }
  conversion_.LoadedFile = std::move(*text);
  conversion_.LoadedText = conversion_.LoadedFile.View();
  if (!conversion_.LoadedText.empty()) window_.ShowControl(IDC_BTN_CONVERT_FILE, true);
}

void CVornelDlg::OnBnClickedConvertFile() {
  std::u16string_view refusal;
  try {
    // Read in place: the shown text may be as long as the file.
    const std::u16string_view shown = window_.PeekText(IDC_EDIT_FILE_TEXT);
    if (shown.empty()) {
      refusal = msg::kNoFileLoaded;
    } else if (shown == u"\r\n" || shown == u"\n") {
      refusal = msg::kOnlyLineBreaks;
    } else if (HasNonBinaryChars(shown)) {
      refusal = msg::kForeignCharacters;
    }
  } catch (const std::bad_alloc&) {
    refusal = msg::kOutOfMemory;
  }
  if (!refusal.empty()) {
    window_.MessageBox(refusal, MessageIcon::kError);
    return;
  }
  ConvertLoadedText();
}

void CVornelDlg::OnBnClickedCancel() {
  window_.MessageBox(msg::kCancelClicked, MessageIcon::kInformation);
  conversion_.CancelFlag = 1;
}

void CVornelDlg::ConvertLoadedText() {
  // Until the run's last message box is closed, a close request is not taken.
  struct Converting {
    bool& flag;
    explicit Converting(bool& f) : flag(f) { flag = true; }
    ~Converting() { flag = false; }
    Converting(const Converting&) = delete;
    Converting& operator=(const Converting&) = delete;
  } converting(converting_);
  conversion_.NumberList.reset();
  conversion_.CancelFlag = 0;
  conversion_.ListLineCount = 0;
  settings_.SettingLineCount = 0;

  RunOutcome outcome;
  try {
    SetControls(window_, kBusy);
    window_.BeginWaitCursor();
    ProgressDisplay progress(window_, conversion_.CancelFlag, throttle_, progressClock_);
    outcome = SplitCheckAndConvert(progress);
  } catch (const std::bad_alloc&) {
    outcome = RunOutcome::kOutOfMemory;
  }

  switch (outcome) {
    case RunOutcome::kCompleted: {
      // Idle in two parts, with the sound and the message between them (see kIdle).
      const std::span<const ControlStep> idle(kIdle);
      SetControls(window_, idle.first(kIdleStepsBeforeCompletion));
      window_.Beep();
      if (MessageGateOpen(window_, settings_)) {
        window_.MessageBox(msg::kCompleted, MessageIcon::kInformation);
      }
      window_.EndWaitCursor();
      SetControls(window_, idle.subspan(kIdleStepsBeforeCompletion));
      return;
    }
    // The message of a stopped run comes while the controls are still busy.
    case RunOutcome::kLimitExceeded:
      if (MessageGateOpen(window_, settings_)) {
        window_.MessageBox(kLimitMessage, MessageIcon::kError);
      }
      break;
    case RunOutcome::kOutOfMemory:
      conversion_.NumberList.reset();
      window_.MessageBox(msg::kOutOfMemory, MessageIcon::kError);
      break;
    case RunOutcome::kCancelled:
      break;
  }
  RestoreIdleControls();
}

CVornelDlg::RunOutcome CVornelDlg::SplitCheckAndConvert(ProgressDisplay& progress) {
  const auto len = static_cast<std::int64_t>(conversion_.LoadedText.size());
  const std::int64_t splitMax = 3 * (len + 1);
  window_.SetProgressRange(IDC_PROGRESS, splitMax);
  NumberValues numbers;
  const bool split = SplitIntoNumberList(
      conversion_.LoadedText, numbers, conversion_.ListLineCount,
      [&](std::int64_t position) { return progress.Step(position, splitMax); }, progress.Stride());
  if (!split) return RunOutcome::kCancelled;
  conversion_.NumberList = std::make_shared<const NumberValues>(std::move(numbers));
  if (conversion_.NumberList->FirstOverlong() >= 0) return RunOutcome::kLimitExceeded;

  window_.SetProgressPos(IDC_PROGRESS, 0);
  const std::int64_t convertMax = conversion_.ListLineCount + len + 3;
  window_.SetProgressRange(IDC_PROGRESS, convertMax);
  // The results are shown as the values' decimal lines, each formed when the view reads it,
  // instead of written out: 80 MB of new memory for 200 MiB of input, whose first touches
  // cost more here than anything else the conversion does. Convert file data under wine,
  // 200 MiB written in pieces: 392 → 184 ms; 10 MiB: 60 → 21 ms (bench/compare.sh, 5 rounds,
  // 2026-12-09).
  const std::shared_ptr<const DecimalLinesText> results = DecimalLinesText::Index(
      conversion_.NumberList, progress.Stride(),
      [&](std::int64_t done) { return progress.Step(len + done, convertMax); });
  if (!results) return RunOutcome::kCancelled;
  if (progress.StepAlwaysShown(convertMax - 1, convertMax)) return RunOutcome::kCancelled;
  window_.ShowDecimalLines(IDC_EDIT_RESULT, results);
  if (progress.StepAlwaysShown(convertMax, convertMax)) return RunOutcome::kCancelled;
  if (progress.StepAlwaysShown(convertMax + 1, convertMax)) return RunOutcome::kCancelled;
  return RunOutcome::kCompleted;
}

void CVornelDlg::RestoreIdleControls() {
  window_.EndWaitCursor();
  SetControls(window_, kIdle);
}

void CVornelDlg::OnBnClickedBrowse() {
  if (const std::optional<std::u16string> path = window_.ChooseOpenFile()) {
    window_.SetText(IDC_BROWSE_FILE, *path);
  }
}
