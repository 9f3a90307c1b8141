// Saving the results of the last file conversion to a file the user chooses.
#include "res/resource.h"
#include "storage/file_access.h"
#include "ui/messages.h"
#include "ui/text_bytes.h"
#include "ui/vornel_dlg.h"

namespace {
constexpr unsigned kHideReadOnly = 0x4;     // OFN_HIDEREADONLY
constexpr unsigned kOverwritePrompt = 0x2;  // OFN_OVERWRITEPROMPT
}  // namespace

void CVornelDlg::OnBnClickedSave() {
  if (window_.GetText(IDC_EDIT_RESULT).empty()) {
    window_.MessageBox(msg::kNothingToSave, kIconError);
    return;
  }
  SaveDialogOptions options;
  options.flags = kHideReadOnly | kOverwritePrompt;
  options.filter = kSaveFilter;
  const std::optional<std::u16string> path = window_.ChooseSaveFile(options);
  if (!path) {
    window_.MessageBox(msg::kSaveFailed, kIconError);
    return;
  }
  const std::string bytes = ToAnsiBytes(window_.GetText(IDC_EDIT_RESULT));
  if (WriteTextFile(*path, bytes)) {
    window_.MessageBox(msg::kSaved, kIconInformation);
  } else {
    window_.MessageBox(msg::kSaveFailed, kIconError);
  }
}
