#pragma once
// WindowServices on the real controls of the main dialog.

#include <chrono>
#include <string>
#include <string_view>

#include "ui/win32/control_changes.h"
#include "ui/win32/information_sound.h"
#include "ui/win32/windows_api.h"
#include "ui/window_services.h"

class Win32WindowServices : public WindowServices {
 public:
  // Loads the program icons from `instance`; the dialog window comes later with Attach.
  explicit Win32WindowServices(HINSTANCE instance);

  // The dialog whose controls the services drive; called once its window exists.
  void Attach(HWND dialog);
  HWND Dialog() const { return dialog_; }
  HINSTANCE Instance() const { return instance_; }
  // The big program icon (for the minimised window and dragging).
  HICON Icon() const { return bigIcon_; }
  bool WaitCursorOn() const { return waitCursorCount_ > 0; }
  // Shows the wait cursor when it is on; false when it is off (the normal cursor applies).
  bool ApplyWaitCursor() const;
  bool EndRequested() const { return endRequested_; }
  int Result() const { return result_; }
  // true once a quit message was taken by the pump; the modal loop then ends.
  bool QuitTaken() const { return quitTaken_; }
  // Records a quit message taken by the modal loop itself.
  void NoteQuit() { quitTaken_ = true; }
  // Brings the controls into the states the program gave them (shown, enabled, checked, the
  // read-only texts, the bar's position). Such changes are held until the window can next show
  // them: the pump, the message boxes and the file dialogs apply them first, and the modal
  // loop before it waits for a message.
  void ApplyHeldChanges();

  bool ShowControl(int id, bool show) override;
  void EnableControl(int id, bool enable) override;
  std::u16string GetText(int id) override;
  void SetText(int id, std::u16string_view text) override;
  std::u16string_view PeekText(int id) override;
  void TakeText(int id, std::u16string&& text) override;
  int GetCheck(int id) override;
  void SetCheck(int id, int state) override;
  void SetProgressRange(int id, std::int64_t max) override;
  void SetProgressPos(int id, std::int64_t pos) override;
  void MessageBox(std::u16string_view text, MessageIcon icon) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool PumpMessages() override;
  void EndDialog(int result) override;
  std::optional<std::u16string> ChooseSaveFile(const SaveDialogOptions& options) override;
  std::optional<std::u16string> ChooseOpenFile() override;
  std::u16string ProgramPath() override;
  void SetWindowIcons() override;
  void ShowVersionDialog() override;
  void Beep() override;

 private:
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  HINSTANCE instance_;
  HWND dialog_ = nullptr;
  HICON bigIcon_;
  HICON smallIcon_;
  // Time between two repaints of the window while the wait cursor shows.
  static constexpr std::chrono::milliseconds kBusyPaintInterval{100};
  int waitCursorCount_ = 0;
  std::chrono::steady_clock::time_point lastBusyPaint_;
  HCURSOR cursorBeforeWait_ = nullptr;
  int progressShift_ = 0;
  bool endRequested_ = false;
  int result_ = 0;
  bool quitTaken_ = false;
  InformationSound sound_;
  HeldControlChanges heldChanges_;
  std::u16string peeked_;  // PeekText's copy of a text that no control keeps in place
};
