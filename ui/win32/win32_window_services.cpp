#include "ui/win32/win32_window_services.h"

#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "ui/win32/dialog_messages.h"
#include "ui/win32/file_dialogs.h"
#include "ui/win32/module_path.h"
#include "ui/win32/progress_scale.h"
#include "ui/win32/text_view.h"
#include "ui/win32/version_dialog.h"
#include "ui/win32/wide_text.h"

namespace {

// The caption of every message box of the program.
constexpr wchar_t kMessageCaption[] = L"Vornel";

HICON LoadProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_SHARED));
}

// Whether `control` itself has the visible style (its parent may still be hidden).
bool HasVisibleStyle(HWND control) {
  return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Runs `change` on `control` and has the control repainted with the next paint of the window
// rather than at once (a button or a progress bar would otherwise paint itself from inside
// the change, which costs a visible delay per control on some systems).
template <class Change>
void ChangeQuietly(HWND control, Change change) {
  const bool visible = HasVisibleStyle(control);
  if (visible) SendMessageW(control, WM_SETREDRAW, FALSE, 0);
  change();
  if (!visible) return;
  SendMessageW(control, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(control, nullptr, TRUE);
}

// Whether `control` paints itself from inside EnableWindow: buttons (check boxes among them).
bool PaintsWhenEnabled(HWND control) {
  wchar_t name[16] = {};
  return GetClassNameW(control, name, 16) > 0 && lstrcmpiW(name, WC_BUTTONW) == 0;
}

void EnableQuietly(HWND control, BOOL enable) {
  if (control == nullptr || (IsWindowEnabled(control) != FALSE) == (enable != FALSE)) return;
  if (PaintsWhenEnabled(control)) {
    ChangeQuietly(control, [&] { EnableWindow(control, enable); });
  } else {
    EnableWindow(control, enable);
  }
}

// Shows or hides `control` and has what changes repainted with the next paint of the window;
// returns whether it was visible before.
bool ShowQuietly(HWND control, bool show) {
  if (control == nullptr) return false;
  const bool wasVisible = HasVisibleStyle(control);
  if (wasVisible == show) return wasVisible;
  SetWindowPos(control, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                   (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  const HWND parent = GetParent(control);
  // As ShowWindow does: the keyboard focus does not stay on a hidden control.
  if (!show && GetFocus() == control) SetFocus(parent);
  // What the control covered, in its parent's client area: the parent paints it anew.
  RECT area{};
  GetWindowRect(control, &area);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return wasVisible;
}

}  // namespace

Win32WindowServices::Win32WindowServices(HINSTANCE instance)
    : instance_(instance),
      bigIcon_(LoadProgramIcon(instance, SM_CXICON, SM_CYICON)),
      smallIcon_(LoadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON)) {}

void Win32WindowServices::Attach(HWND dialog) { dialog_ = dialog; }

bool Win32WindowServices::ShowControl(int id, bool show) {
  // The browse control is the file edit box together with its browse button.
  if (id == IDC_BROWSE_FILE) ShowQuietly(Control(IDC_BTN_BROWSE), show);
  return ShowQuietly(Control(id), show);
}

void Win32WindowServices::EnableControl(int id, bool enable) {
  const BOOL state = enable ? TRUE : FALSE;
  if (id == IDC_BROWSE_FILE) EnableQuietly(Control(IDC_BTN_BROWSE), state);
  EnableQuietly(Control(id), state);
}

std::u16string Win32WindowServices::GetText(int id) {
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
  // A text view takes this copy itself instead of copying it once more.
  TakeText(id, std::u16string(text));
}

std::u16string_view Win32WindowServices::PeekText(int id) {
  if (const auto inPlace = PeekTextViewText(Control(id))) return *inPlace;
  return WindowServices::PeekText(id);
}

void Win32WindowServices::TakeText(int id, std::u16string&& text) {
  const HWND control = Control(id);
  if (TakeTextViewText(control, text)) return;
  SetWindowTextW(control, reinterpret_cast<const wchar_t*>(text.c_str()));
}

int Win32WindowServices::GetCheck(int id) {
  return static_cast<int>(SendMessageW(Control(id), BM_GETCHECK, 0, 0));
}

void Win32WindowServices::SetCheck(int id, int state) {
  SendMessageW(Control(id), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Win32WindowServices::SetProgressRange(int id, std::int64_t max) {
  // The bar counts in 32 bits; larger ranges are scaled down together with the positions.
  progressShift_ = ProgressShiftFor(max);
  SendMessageW(Control(id), PBM_SETRANGE32, 0, ScaleProgressValue(max, progressShift_));
}

void Win32WindowServices::SetProgressPos(int id, std::int64_t pos) {
  const HWND bar = Control(id);
  const auto scaled = static_cast<WPARAM>(ScaleProgressValue(pos, progressShift_));
  if (static_cast<WPARAM>(SendMessageW(bar, PBM_GETPOS, 0, 0)) == scaled) return;
  ChangeQuietly(bar, [&] { SendMessageW(bar, PBM_SETPOS, scaled, 0); });
}

void Win32WindowServices::MessageBox(std::u16string_view text, int type) {
  const UINT icon = type == kIconInformation ? MB_ICONINFORMATION : MB_ICONERROR;
  ::MessageBoxW(dialog_, ToWide(text).c_str(), kMessageCaption, MB_OK | icon);
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
  if (quitTaken_) return false;
  // While the program is busy the window is repainted a few times a second: often enough to
  // follow the progress, and a short run shows only its end.
  bool paint = true;
  if (waitCursorCount_ > 0) {
    const auto now = std::chrono::steady_clock::now();
    paint = now - lastBusyPaint_ >= kBusyPaintInterval;
    if (paint) lastBusyPaint_ = now;
  }
  if (!PumpPendingMessages(dialog_, paint)) quitTaken_ = true;
  return !quitTaken_;
}

void Win32WindowServices::EndDialog(int result) {
  endRequested_ = true;
  result_ = result;
}

std::optional<std::u16string> Win32WindowServices::ChooseSaveFile(
    const SaveDialogOptions& options) {
  return RunSaveFileDialog(dialog_, options);
}

std::optional<std::u16string> Win32WindowServices::ChooseOpenFile() {
  return RunOpenFileDialog(dialog_);
}

std::u16string Win32WindowServices::ProgramPath() { return ModuleFileName(); }

void Win32WindowServices::SetWindowIcons() {
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void Win32WindowServices::ShowVersionDialog() { RunVersionDialog(instance_, dialog_); }

void Win32WindowServices::Beep() { sound_.Play(); }
