#include "ui/vornel_dlg.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "res/resource.h"
#include "storage/file_access.h"
#include "tuning/tuning.h"
#include "ui/control_states.h"
#include "ui/messages.h"

namespace {

struct MessageMapEntry {
  int id;
  Notification notification;
  void (CVornelDlg::*handler)();
};

// The dialog's message map: control notifications and their handlers, in this order.
const MessageMapEntry kMessageMap[] = {
    {IDC_BTN_VERSION, Notification::kButtonClicked, &CVornelDlg::OnBnClickedVersion},
    {IDC_EDIT_BINARY, Notification::kEditChanged, &CVornelDlg::OnEnChangeBinary},
    {IDC_CHK_AUTO, Notification::kButtonClicked, &CVornelDlg::OnBnClickedAutoProcessing},
    {IDC_CHK_MESSAGES, Notification::kButtonClicked, &CVornelDlg::OnBnClickedMessages},
    {IDC_BTN_CONVERT, Notification::kButtonClicked, &CVornelDlg::OnBnClickedConvert},
    {IDC_BTN_EXIT, Notification::kButtonClicked, &CVornelDlg::OnBnClickedExit},
    {IDC_BTN_CONVERT_FILE, Notification::kButtonClicked, &CVornelDlg::OnBnClickedConvertFile},
    {IDC_BTN_CANCEL, Notification::kButtonClicked, &CVornelDlg::OnBnClickedCancel},
    {IDC_BTN_SAVE, Notification::kButtonClicked, &CVornelDlg::OnBnClickedSave},
    {IDC_BTN_BROWSE, Notification::kButtonClicked, &CVornelDlg::OnBnClickedBrowse},
    {IDC_BTN_READ_FILE, Notification::kButtonClicked, &CVornelDlg::OnBnClickedReadFile},
    {IDC_BROWSE_FILE, Notification::kEditChanged, &CVornelDlg::OnEnChangeBrowseFile},
    {kDialogCancelled, Notification::kButtonClicked, &CVornelDlg::OnCancel},
};

}  // namespace

CVornelDlg::CVornelDlg(WindowServices& window, FolderState& folders, SettingsState& settings,
                       ConversionState& conversion)
    : window_(window),
      folders_(folders),
      settings_(settings),
      conversion_(conversion),
      documentsFolder_(&DocumentsFolder),
      batchLockWait_(tuning::kBatchLockWait) {}

bool CVornelDlg::OnCommand(int id, Notification notification) {
  const auto* const entry = std::ranges::find_if(kMessageMap, [&](const MessageMapEntry& e) {
    return e.id == id && e.notification == notification;
  });
  if (entry == std::end(kMessageMap)) return false;
  const MessageMapEntry& found = *entry;
  try {
    (this->*found.handler)();
  } catch (const std::bad_alloc&) {
    // Each handler forms what it needs before it changes anything, or undoes its change.
    try {
      window_.MessageBox(msg::kOutOfMemory, MessageIcon::kError);
    } catch (const std::bad_alloc&) {  // not even the message: the dialog goes on
    }
  }
  return true;
}

bool CVornelDlg::OnInitDialog() {
  try {
    StartUp();
  } catch (const std::bad_alloc&) {
    RefuseStartWithoutMemory();
  }
  return true;
}

void CVornelDlg::StartUp() {
  window_.SetWindowIcons();
  const std::u16string programPath = window_.ProgramPath();
  if (!programPath.empty()) window_.SetText(IDC_EDIT_EXE_PATH, programPath);
  window_.ShowControl(IDC_BTN_CONVERT_FILE, false);

  folders_.DocumentsPath = documentsFolder_();
  const std::u16string appData = AppDataDirOf(folders_.DocumentsPath);
  if (!DirectoryExists(appData)) MakeDirectory(appData);
  folders_.ResultDir = ResultDirOf(folders_.DocumentsPath);
  MakeDirectory(folders_.ResultDir);
  folders_.TempDir = TempDirOf(folders_.DocumentsPath);
  if (!DirectoryExists(folders_.TempDir)) MakeDirectory(folders_.TempDir);
  LoadSettings();
  folders_.AutoFileDir = AutoFileDirOf(folders_.DocumentsPath);

  if (DirectoryExists(folders_.AutoFileDir)) {
    RunBatch();
    return;
  }
  SetControls(window_, kIdle);
  SetControls(window_, kAutomaticProcessingOff);
}

void CVornelDlg::LoadSettings() {
  const std::u16string path = SettingsFileOf(folders_.TempDir);
  if (FileExists(path) != 1) return;
  ParseSettingLines(settings_, ReadSettingsText(settings_, path));
  if (SettingMeansOff(settings_.SettingLines[0])) {
    window_.SetCheck(IDC_CHK_AUTO, 0);
    window_.ShowControl(IDC_CHK_MESSAGES, false);
  } else {
    window_.SetCheck(IDC_CHK_AUTO, 1);
    window_.ShowControl(IDC_CHK_MESSAGES, true);
    window_.SetCheck(IDC_CHK_MESSAGES, SettingMeansOff(settings_.SettingLines[1]) ? 0 : 1);
  }
}

void CVornelDlg::OnBnClickedVersion() { window_.ShowVersionDialog(); }

void CVornelDlg::OnBnClickedMessages() {}

void CVornelDlg::OnEnChangeBrowseFile() {}
