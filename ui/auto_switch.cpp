// The automatic-processing switch and the Exit button.
#include "res/resource.h"
#include "storage/file_access.h"
#include "ui/messages.h"
#include "ui/vornel_dlg.h"

void CVornelDlg::OnBnClickedAutoProcessing() {
  folders_.AutoFileDir = AutoFileDirOf(folders_.DocumentsPath);
  if (window_.GetCheck(IDC_CHK_AUTO) == 1) {
    folders_.AutoProcessingOn = 1;
    if (MakeDirectory(folders_.AutoFileDir)) {
      window_.MessageBox(msg::kAutoFolderCreated, MessageIcon::kInformation);
    } else {
      window_.MessageBox(msg::kAutoFolderNotCreated, MessageIcon::kError);
    }
    window_.ShowControl(IDC_CHK_MESSAGES, true);
  } else {
    folders_.AutoProcessingOn = 0;
    window_.ShowControl(IDC_CHK_MESSAGES, false);
  }
}

void CVornelDlg::OnBnClickedExit() {
  folders_.AutoFileDir = AutoFileDirOf(folders_.DocumentsPath);
  if (folders_.AutoProcessingOn == 0) DeleteDirectoryTree(folders_.AutoFileDir);
  folders_.DocumentsPath = documentsFolder_();
  folders_.TempDir = TempDirOf(folders_.DocumentsPath);
  SaveSettings();
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
