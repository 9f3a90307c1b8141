#pragma once
// A stand-in for the window system that keeps the state a user would see: texts,
// visibility, enabled states, check marks, the progress bar, the message boxes shown and the
// end of the dialog. User actions (clicks, typing) go through the dialog's message map, and
// the pump can run a scripted action, such as a click on Cancel, in the middle of a run.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/vornel_dlg.h"
#include "ui/window_services.h"

class FakeWindow : public WindowServices {
 public:
  struct Control {
    bool visible = true;
    bool enabled = true;
    std::u16string text;
    int check = 0;
    std::int64_t rangeMax = 100;
    std::int64_t pos = 0;
    bool operator==(const Control&) const = default;
  };
  struct Box {
    std::u16string text;
    MessageIcon icon = MessageIcon::kError;
    bool operator==(const Box&) const = default;
  };

  FakeWindow();

  // --- what the user sees
  std::map<int, Control> controls;
  std::vector<Box> boxes;                     // message boxes, in the order shown
  std::vector<std::u16string> progressTexts;  // every non-empty percentage text shown
  std::optional<int> endResult;               // set once the dialog has ended
  int beeps = 0;
  bool waitCursor = false;
  bool iconsSet = false;
  int versionDialogs = 0;
  int pumps = 0;

  // --- how the user and the system answer
  std::u16string programPath = u"C:\\Programs\\Vornel\\Vornel.exe";
  std::deque<std::optional<std::u16string>> saveAnswers;  // nullopt: the user cancels
  std::optional<SaveDialogOptions> lastSaveOptions;
  std::function<void(int pump)> onPump;          // runs inside the pump
  std::function<void(const Box&)> onMessageBox;  // runs while a box is up
  CVornelDlg* dialog = nullptr;

  // A click on a button or check box as the user makes it: nothing happens when the control
  // is hidden or disabled; a check box toggles before its handler runs. false when ignored.
  bool Click(int id);
  // Typing or pasting: the new text, then the change notification.
  void Type(int id, const std::u16string& text);
  const Control& operator[](int id) const { return controls.at(id); }

  // WindowServices
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
  void BeginWaitCursor() override { waitCursor = true; }
  void EndWaitCursor() override { waitCursor = false; }
  bool PumpMessages() override;
  void EndDialog(int result) override { endResult = result; }
  std::optional<std::u16string> ChooseSaveFile(const SaveDialogOptions& options) override;
  std::optional<std::u16string> ChooseOpenFile() override { return std::nullopt; }
  std::u16string ProgramPath() override { return programPath; }
  void SetWindowIcons() override { iconsSet = true; }
  void ShowVersionDialog() override { ++versionDialogs; }
  void Beep() override { ++beeps; }
};
