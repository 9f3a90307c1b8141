// The automatic-processing switch and the Exit button.
#include <new>
#include <utility>

#include "res/resource.h"
#include "storage/file_access.h"
#include "ui/messages.h"
#include "ui/vornel_dlg.h"

void CVornelDlg::OnBnClickedAutoProcessing() {
  const bool on = window_.GetCheck(IDC_CHK_AUTO) == 1;
  bool created = false;
  try {
    std::u16string autoFileDir = AutoFileDirOf(folders_.DocumentsPath);
    if (on) created = MakeDirectory(autoFileDir);
    folders_.AutoFileDir = std::move(autoFileDir);
  } catch (const std::bad_alloc&) {
    // Nothing was made: the click is undone.
    window_.SetCheck(IDC_CHK_AUTO, on ? 0 : 1);
    throw;
  }
  folders_.AutoProcessingOn = on ? 1 : 0;
  if (on) {
    if (created) {
      window_.MessageBox(msg::kAutoFolderCreated, MessageIcon::kInformation);
    } else {
      window_.MessageBox(msg::kAutoFolderNotCreated, MessageIcon::kError);
    }
  }
  window_.ShowControl(IDC_CHK_MESSAGES, on);
}

void CVornelDlg::OnBnClickedExit() {
  // The paths first: without memory for them nothing has changed yet.
  std::u16string autoFileDir = AutoFileDirOf(folders_.DocumentsPath);
  std::u16string documents = documentsFolder_();
  std::u16string tempDir = TempDirOf(documents);
  folders_.AutoFileDir = std::move(autoFileDir);
  folders_.DocumentsPath = std::move(documents);
  folders_.TempDir = std::move(tempDir);
  // From here Exit has no failure outcome: a folder not removed completely and settings not
  // written pass silently, for lack of memory too.
  try {
    if (folders_.AutoProcessingOn == 0) DeleteDirectoryTree(folders_.AutoFileDir);
  } catch (const std::bad_alloc&) {
  }
  try {
    SaveSettings();
  } catch (const std::bad_alloc&) {
  }
  window_.EndDialog(kDialogOk);
}

void CVornelDlg::OnCancel() {
  if (converting_) return;
  window_.EndDialog(kDialogCancelled);
}

void CVornelDlg::SaveSettings() {
  if (!DirectoryExists(folders_.TempDir) && !MakeDirectory(folders_.TempDir)) return;
  const bool autoProcessing = window_.GetCheck(IDC_CHK_AUTO) == 1;
  const bool messagesWereShown = window_.ShowControl(IDC_CHK_MESSAGES, true);
  const bool showMessages = messagesWereShown && window_.GetCheck(IDC_CHK_MESSAGES) == 1;
  WriteTextFile(SettingsFileOf(folders_.TempDir), SettingsFileBytes(autoProcessing, showMessages));
}
