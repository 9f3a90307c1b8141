#pragma once
// WindowServices on the real controls of the main dialog.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "ui/win32/control_changes.h"
#include "ui/win32/windows_api.h"
#include "ui/window_services.h"

class Win32WindowServices : public WindowServices {
 public:
  // Loads the program icons from `instance`; the dialog window comes later with Attach.
  explicit Win32WindowServices(HINSTANCE instance);

  // The dialog whose controls the services drive; called once its window exists.
  void Attach(HWND dialog);
  HINSTANCE Instance() const { return instance_; }
  // The big program icon (for the minimised window and dragging).
  HICON Icon() const { return bigIcon_; }
  // Shows the wait cursor when it is on; false when it is off (the normal cursor applies).
  bool ApplyWaitCursor() const;
  bool EndRequested() const { return endRequested_; }
  int Result() const { return result_; }
  // Applies the held control changes now, for tests that look at the controls. Every step that
  // lets the window show itself or take input (the pump, the message boxes, the file and
  // version dialogs, ShowDialogWindow and NextMessage) does so first: the program never needs to.
  void ApplyHeldChanges();
  // Shows the dialog window, centred and in the foreground, in the states its initialisation
  // gave the controls; does nothing when the dialog has already ended.
  void ShowDialogWindow();
  // The modal loop's wait: takes the thread's next message into `message`; false, taking none,
  // once the dialog has ended or a quit message has come (that one is taken). A quit message
  // that the pump took during a run is posted again first, so it ends the loop after the run.
  bool NextMessage(MSG& message);

  bool ShowControl(int id, bool show) override;
  void EnableControl(int id, bool enable) override;
  std::u16string GetText(int id) override;
  void SetText(int id, std::u16string_view text) override;
  std::u16string_view PeekText(int id) override;
  void TakeText(int id, std::u16string&& text) override;
  void ShareText(int id, const SharedText& text) override;
  void ShowDecimalLines(int id, const std::shared_ptr<const DecimalLinesText>& lines) override;
  int GetCheck(int id) override;
  void SetCheck(int id, int state) override;
  void SetProgressRange(int id, std::int64_t max) override;
  void SetProgressPos(int id, std::int64_t pos) override;
  void MessageBox(std::u16string_view text, MessageIcon icon) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  // The pump of a run: it holds a quit message back until the modal loop's next wait, and
  // goes on dispatching (Cancel stays usable); false while one is held.
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
  // Every step that lets the window show itself or take the user's input runs through here:
  // the held control changes are applied first, so no such step shows an older state.
  template <class Step>
  decltype(auto) AfterHeldChanges(Step step) {
    ApplyHeldChanges();
    return step();
  }

  HINSTANCE instance_;
  HWND dialog_ = nullptr;
  HICON bigIcon_;
  HICON smallIcon_;
  int waitCursorCount_ = 0;
  std::chrono::steady_clock::time_point lastBusyPaint_;
  HCURSOR cursorBeforeWait_ = nullptr;
  int progressShift_ = 0;
  bool endRequested_ = false;
  int result_ = 0;
  bool quitTaken_ = false;
  std::optional<int> heldQuit_;  // exit code of a quit message the pump took, until re-posted
  HeldControlChanges heldChanges_;
  std::u16string peeked_;  // PeekText's copy of a text that no control keeps in place
};
