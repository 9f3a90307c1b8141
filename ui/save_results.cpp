// Saving the results of the last file conversion to a file the user chooses.
#include "res/resource.h"
#include "storage/file_access.h"
#include "ui/messages.h"
#include "ui/text_bytes.h"
#include "ui/vornel_dlg.h"

void CVornelDlg::OnBnClickedSave() {
  // Read in place, as Convert file data does: the results may be as long as the file.
  if (window_.PeekText(IDC_EDIT_RESULT).empty()) {
    window_.MessageBox(msg::kNothingToSave, MessageIcon::kError);
    return;
  }
  SaveDialogOptions options;
  options.confirmOverwrite = true;
  options.fileTypes = {{std::u16string(kAllFilesName), std::u16string(kAllFilesPattern)}};
  const std::optional<std::u16string> path = window_.ChooseSaveFile(options);
  if (!path) {
    window_.MessageBox(msg::kSaveFailed, MessageIcon::kError);
    return;
  }
  const std::string bytes = ToAnsiBytes(window_.PeekText(IDC_EDIT_RESULT));
  if (WriteTextFile(*path, bytes)) {
    window_.MessageBox(msg::kSaved, MessageIcon::kInformation);
  } else {
    window_.MessageBox(msg::kSaveFailed, MessageIcon::kError);
  }
}
