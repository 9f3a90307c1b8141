#include "tests/support/fake_window.h"

#include "res/resource.h"

FakeWindow::FakeWindow() {
  for (int id : {IDC_BTN_VERSION, IDC_BTN_CONVERT, IDC_EDIT_BINARY, IDC_EDIT_DECIMAL,
                 IDC_BROWSE_FILE, IDC_BTN_READ_FILE, IDC_BTN_CONVERT_FILE, IDC_EDIT_EXE_PATH,
                 IDC_EDIT_FILE_TEXT, IDC_EDIT_PROGRESS, IDC_PROGRESS, IDC_BTN_CANCEL, IDC_CHK_AUTO,
                 IDC_CHK_MESSAGES, IDC_BTN_SAVE, IDC_EDIT_RESULT, IDC_BTN_EXIT}) {
    controls[id] = Control{};
  }
}

bool FakeWindow::Click(int id) {
  Control& control = controls.at(id);
  if (!control.visible || !control.enabled || endResult) return false;
  if (id == IDC_CHK_AUTO || id == IDC_CHK_MESSAGES) control.check = control.check ? 0 : 1;
  dialog->OnCommand(id, Notification::kButtonClicked);
  return true;
}

void FakeWindow::Type(int id, const std::u16string& text) {
  controls.at(id).text = text;
  dialog->OnCommand(id, Notification::kEditChanged);
}

bool FakeWindow::ShowControl(int id, bool show) {
  Control& control = controls.at(id);
  const bool wasVisible = control.visible;
  control.visible = show;
  return wasVisible;
}

void FakeWindow::EnableControl(int id, bool enable) { controls.at(id).enabled = enable; }

std::u16string FakeWindow::GetText(int id) { return controls.at(id).text; }

std::u16string_view FakeWindow::PeekText(int id) { return controls.at(id).text; }

void FakeWindow::TakeText(int id, std::u16string&& text) {
  SetText(id, text);
  text.clear();
}

void FakeWindow::SetText(int id, std::u16string_view text) {
  controls.at(id).text = text;
  if (id == IDC_EDIT_PROGRESS && !text.empty()) progressTexts.emplace_back(text);
}

int FakeWindow::GetCheck(int id) { return controls.at(id).check; }

void FakeWindow::SetCheck(int id, int state) { controls.at(id).check = state; }

void FakeWindow::SetProgressRange(int id, std::int64_t max) { controls.at(id).rangeMax = max; }

void FakeWindow::SetProgressPos(int id, std::int64_t pos) { controls.at(id).pos = pos; }

void FakeWindow::MessageBox(std::u16string_view text, MessageIcon icon) {
  boxes.push_back(Box{std::u16string(text), icon});
  if (onMessageBox) onMessageBox(boxes.back());
}

bool FakeWindow::PumpMessages() {
  ++pumps;
  if (onPump) onPump(pumps);
  return true;
}

std::optional<std::u16string> FakeWindow::ChooseSaveFile(const SaveDialogOptions& options) {
  lastSaveOptions = options;
  if (saveAnswers.empty()) return std::nullopt;
  std::optional<std::u16string> answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}
