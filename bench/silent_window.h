#pragma once
// Window services that show nothing and answer every question as an idle dialog would, for
// running the dialog's handlers without a window system: texts are kept, nothing else is.

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "ui/window_services.h"

class SilentWindow : public WindowServices {
 public:
  bool ShowControl(int, bool) override { return false; }
  void EnableControl(int, bool) override {}
  std::u16string GetText(int id) override { return std::u16string(PeekText(id)); }
  void SetText(int id, std::u16string_view text) override {
    texts[id] = SharedText(std::u16string(text));
  }
  // In place, moved and shared, as the program's text views do.
  std::u16string_view PeekText(int id) override { return texts[id].View(); }
  void TakeText(int id, std::u16string&& text) override { texts[id] = SharedText(std::move(text)); }
  void ShareText(int id, const SharedText& text) override { texts[id] = text; }
  // Kept as the text view keeps them: formed only when read.
  void ShowDecimalLines(int id, const std::shared_ptr<const DecimalLinesText>& lines) override {
    decimalLines[id] = lines;
  }
  int GetCheck(int) override { return 0; }
  void SetCheck(int, int) override {}
  void SetProgressRange(int, std::int64_t) override {}
  void SetProgressPos(int, std::int64_t) override {}
  void MessageBox(std::u16string_view, MessageIcon) override { ++messages; }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  bool PumpMessages() override { return true; }
  void EndDialog(int result) override { endResult = result; }
  std::optional<std::u16string> ChooseSaveFile(const SaveDialogOptions&) override {
    return std::nullopt;
  }
  std::optional<std::u16string> ChooseOpenFile() override { return std::nullopt; }
  std::u16string ProgramPath() override { return {}; }
  void SetWindowIcons() override {}
  void ShowVersionDialog() override {}
  void Beep() override {}

  std::map<int, SharedText> texts;                                      // of the controls, by id
  std::map<int, std::shared_ptr<const DecimalLinesText>> decimalLines;  // shown instead, by id
  int messages = 0;                                                     // message boxes shown
  int endResult = 0;  // what the dialog ended with; 0 while it has not ended
};
