#pragma once
// What the dialog's logic needs from the window system: its controls, modal message boxes,
// the wait cursor, the message pump, file dialogs and the end of the dialog. The Win32 front
// end implements it on real controls; the tests use a double that keeps state.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/decimal_lines.h"
#include "convert/decimal_lines_text.h"
#include "convert/shared_text.h"

// The icon of a message box.
enum class MessageIcon { kError, kInformation };

// What a control tells the dialog: a button (a check box among them) was clicked, or the text
// of an edit box changed.
enum class Notification { kButtonClicked, kEditChanged };

// One file type a file dialog offers: the name shown and the pattern of file names it stands for.
struct FileType {
  std::u16string name;     // e.g. "All (*.*)"
  std::u16string pattern;  // e.g. "*.*"
};

// Arguments of the save-file dialog.
struct SaveDialogOptions {
  std::u16string defaultExtension;  // empty: none is added
  std::u16string initialName;       // empty: the name field starts empty
  bool confirmOverwrite = false;    // an existing file is chosen only after the user confirms
  std::vector<FileType> fileTypes;  // offered in this order; empty: no choice of type
};

// Changes to the controls may be held. An implementation may keep what it is told to show or
// hide, enable or disable, check or uncheck, the texts of read-only edit boxes and the progress
// bar's position, and make those changes only when the window can next show them or take the
// user's input: at the next PumpMessages, MessageBox, ChooseSaveFile, ChooseOpenFile or
// ShowVersionDialog, or the modal loop's next wait, each of which applies them first, in the
// order they were given. Meanwhile the getters answer what was set, never the older state:
// ShowControl's result, GetText, PeekText and GetCheck.
class WindowServices {
 public:
  virtual ~WindowServices() = default;

  // Shows or hides control `id`; returns whether it was visible before the call.
  virtual bool ShowControl(int id, bool show) = 0;
  // Enables or disables control `id`; a disabled control sends no notification.
  virtual void EnableControl(int id, bool enable) = 0;
  // The whole text of control `id`; empty when it has none.
  virtual std::u16string GetText(int id) = 0;
  // Gives control `id` the text `text`. Throws std::bad_alloc when memory runs out; the control
  // then keeps the text it had.
  virtual void SetText(int id, std::u16string_view text) = 0;
  // The text of control `id` to read in place, without a copy where the control keeps it;
  // valid until the next call of these services. Throws std::bad_alloc when a copy is needed
  // and memory runs out.
  virtual std::u16string_view PeekText(int id) = 0;
  // Gives control `id` the text `text`, taking its memory where the control can keep it
  // (`text` is then left empty). Throws as SetText does. Here: SetText.
  virtual void TakeText(int id, std::u16string&& text) { SetText(id, text); }
  // Gives control `id` the text `text` without a copy where the control can show it in place:
  // the control then keeps it alive while it shows it. Throws as SetText does. Here: SetText.
  virtual void ShareText(int id, const SharedText& text) { SetText(id, text.View()); }
  // Gives control `id` the decimal lines of `lines`, formed line by line as they are read where
  // the control can do so: the control then keeps them alive. Throws as SetText does. Here:
  // SetText of them written out.
  virtual void ShowDecimalLines(int id, const std::shared_ptr<const DecimalLinesText>& lines) {
    SetText(id, DecimalLines(lines->Values()));
  }
  // Check mark of a check box: 0 unchecked, 1 checked. Setting it runs no click handler.
  virtual int GetCheck(int id) = 0;
  virtual void SetCheck(int id, int state) = 0;
  // Progress bar range 0..max and position (full 64-bit values; a position above the
  // maximum shows a full bar).
  virtual void SetProgressRange(int id, std::int64_t max) = 0;
  virtual void SetProgressPos(int id, std::int64_t pos) = 0;

  // A modal message box owned by the dialog with an OK button and `icon`; returns when the user
  // has closed it (the dialog's messages are dispatched meanwhile).
  virtual void MessageBox(std::u16string_view text, MessageIcon icon) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Dispatches every pending message of the thread; false when a quit request was taken.
  virtual bool PumpMessages() = 0;
  // Ends the modal dialog with `result` once control returns to its loop (also from
  // inside the dialog's initialisation, before it ever appears).
  virtual void EndDialog(int result) = 0;
  // The modal save-file dialog; the chosen full path, or nullopt when cancelled or failed.
  virtual std::optional<std::u16string> ChooseSaveFile(const SaveDialogOptions& options) = 0;
  // The modal open-file dialog of the browse control; nullopt when cancelled or failed.
  virtual std::optional<std::u16string> ChooseOpenFile() = 0;
  // Full path of the running program; empty when it cannot be found.
  virtual std::u16string ProgramPath() = 0;
  // Gives the dialog window the program icon, big and small.
  virtual void SetWindowIcons() = 0;
  // Runs the version dialog modally.
  virtual void ShowVersionDialog() = 0;
  // The system's information sound; no wait.
  virtual void Beep() = 0;
};
