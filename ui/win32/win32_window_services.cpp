#include "ui/win32/win32_window_services.h"

#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "tuning/tuning.h"
#include "ui/messages.h"
#include "ui/win32/control_changes.h"
#include "ui/win32/dialog_messages.h"
#include "ui/win32/file_dialogs.h"
#include "ui/win32/module_path.h"
#include "ui/win32/progress_scale.h"
#include "ui/win32/text_view/text_view.h"
#include "ui/win32/version_dialog.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/window_position.h"

namespace {

UINT IconStyleOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kError:
      return MB_ICONERROR;
    case MessageIcon::kInformation:
      return MB_ICONINFORMATION;
  }
  return MB_ICONERROR;
}

HICON LoadProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

Win32WindowServices::Win32WindowServices(HINSTANCE instance)
    : instance_(instance),
      bigIcon_(LoadProgramIcon(instance, SM_CXICON, SM_CYICON)),
      smallIcon_(LoadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON)) {}

void Win32WindowServices::Attach(HWND dialog) { dialog_ = dialog; }

bool Win32WindowServices::ShowControl(int id, bool show) {
  // The browse control is the file edit box together with its browse button.
  if (id == IDC_BROWSE_FILE) heldChanges_.Show(dialog_, IDC_BTN_BROWSE, show);
  return heldChanges_.Show(dialog_, id, show);
}

void Win32WindowServices::EnableControl(int id, bool enable) {
  if (id == IDC_BROWSE_FILE) heldChanges_.Enable(IDC_BTN_BROWSE, enable);
  heldChanges_.Enable(id, enable);
}

void Win32WindowServices::ApplyHeldChanges() { heldChanges_.Apply(dialog_); }

void Win32WindowServices::ShowDialogWindow() {
  AfterHeldChanges([this] {
    if (endRequested_) return;
    CentreWindow(dialog_, nullptr);
    ShowWindow(dialog_, SW_SHOWNORMAL);
    SetForegroundWindow(dialog_);
  });
}

bool Win32WindowServices::NextMessage(MSG& message) {
  if (endRequested_ || quitTaken_) return false;
  if (heldQuit_) {
    PostQuitMessage(*heldQuit_);
    heldQuit_.reset();
  }
  return AfterHeldChanges([&] {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) quitTaken_ = true;
    return !quitTaken_;
  });
}

std::u16string Win32WindowServices::GetText(int id) {
  if (const std::u16string* const held = heldChanges_.HeldText(id)) return *held;
  const HWND control = Control(id);
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  // Straight into the program's own string: a long text is copied once.
  std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
  const int copied = GetWindowTextW(control, reinterpret_cast<wchar_t*>(buffer.data()), length + 1);
  buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return buffer;
}

void Win32WindowServices::SetText(int id, std::u16string_view text) {
  if (heldChanges_.HoldText(dialog_, id, text)) return;
  // Any other control's text is set at once; a text view takes this copy itself instead of copying
  // it once more.
  TakeText(id, std::u16string(text));
}

std::u16string_view Win32WindowServices::PeekText(int id) {
  if (const auto inPlace = PeekTextViewText(Control(id))) return *inPlace;
  peeked_ = GetText(id);
  return peeked_;
}

void Win32WindowServices::TakeText(int id, std::u16string&& text) {
  const HWND control = Control(id);
  if (TakeTextViewText(control, text) || heldChanges_.HoldText(dialog_, id, text)) return;
  SetWindowTextW(control, reinterpret_cast<const wchar_t*>(text.c_str()));
}

void Win32WindowServices::ShareText(int id, const SharedText& text) {
  if (!ShareTextViewText(Control(id), text)) SetText(id, text.View());
}

void Win32WindowServices::ShowDecimalLines(int id,
                                           const std::shared_ptr<const DecimalLinesText>& lines) {
  if (!ShowDecimalLinesInTextView(Control(id), lines)) WindowServices::ShowDecimalLines(id, lines);
}

int Win32WindowServices::GetCheck(int id) {
  if (const std::optional<int> held = heldChanges_.HeldCheck(id)) return *held;
  return static_cast<int>(SendMessageW(Control(id), BM_GETCHECK, 0, 0));
}

void Win32WindowServices::SetCheck(int id, int state) { heldChanges_.HoldCheck(id, state); }

void Win32WindowServices::SetProgressRange(int id, std::int64_t max) {
  // The bar counts in 32 bits; larger ranges are scaled down together with the positions.
  // A position held for the old range goes first.
  heldChanges_.ApplyPosition(dialog_, id);
  progressShift_ = ProgressShiftFor(max);
  SendMessageW(Control(id), PBM_SETRANGE32, 0, ScaleProgressValue(max, progressShift_));
}

void Win32WindowServices::SetProgressPos(int id, std::int64_t pos) {
  heldChanges_.HoldPosition(id, ScaleProgressValue(pos, progressShift_));
}

void Win32WindowServices::MessageBox(std::u16string_view text, MessageIcon icon) {
  AfterHeldChanges([&] {
    ::MessageBoxW(dialog_, ToWide(text).c_str(),
                  reinterpret_cast<const wchar_t*>(msg::kMessageCaption),
                  MB_OK | IconStyleOf(icon));
  });
}

void Win32WindowServices::BeginWaitCursor() {
  const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (waitCursorCount_++ == 0) {
    cursorBeforeWait_ = previous;
    lastBusyPaint_ = std::chrono::steady_clock::now();
  }
}

void Win32WindowServices::EndWaitCursor() {
  if (waitCursorCount_ == 0) return;
  if (--waitCursorCount_ == 0) {
    SetCursor(cursorBeforeWait_ != nullptr ? cursorBeforeWait_ : LoadCursorW(nullptr, IDC_ARROW));
  }
}

bool Win32WindowServices::ApplyWaitCursor() const {
  if (waitCursorCount_ == 0) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

bool Win32WindowServices::PumpMessages() {
  return AfterHeldChanges([this] {
    // While the program is busy the window is repainted a few times a second: often enough to
    // follow the progress, and a short run shows only its end.
    bool paint = true;
    if (waitCursorCount_ > 0) {
      const auto now = std::chrono::steady_clock::now();
      paint = now - lastBusyPaint_ >= tuning::kBusyPaintInterval;
      if (paint) lastBusyPaint_ = now;
    }
    if (const std::optional<int> quit = PumpPendingMessages(dialog_, paint)) heldQuit_ = quit;
    return !heldQuit_;
  });
}

void Win32WindowServices::EndDialog(int result) {
  endRequested_ = true;
  result_ = result;
}

std::optional<std::u16string> Win32WindowServices::ChooseSaveFile(
    const SaveDialogOptions& options) {
  return AfterHeldChanges([&] { return RunSaveFileDialog(dialog_, options); });
}

std::optional<std::u16string> Win32WindowServices::ChooseOpenFile() {
  return AfterHeldChanges([this] { return RunOpenFileDialog(dialog_); });
}

std::u16string Win32WindowServices::ProgramPath() { return ModuleFileName(); }

void Win32WindowServices::SetWindowIcons() {
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void Win32WindowServices::ShowVersionDialog() {
  AfterHeldChanges([this] { RunVersionDialog(instance_, dialog_); });
}

void Win32WindowServices::Beep() { MessageBeep(MB_ICONINFORMATION); }
