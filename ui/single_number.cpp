// The top row of the dialog: one typed binary number and its decimal value.
#include "convert/binary.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/vornel_dlg.h"

void CVornelDlg::OnEnChangeBinary() {
  if (window_.PeekText(IDC_EDIT_BINARY).find_first_not_of(u"01") == std::u16string_view::npos) {
    return;
  }
  window_.MessageBox(msg::kNotBinaryInput, MessageIcon::kError);
  window_.SetText(IDC_EDIT_BINARY, u"");
}

void CVornelDlg::OnBnClickedConvert() {
  // Formed before the result box changes; setting it keeps the old text when memory runs out.
  window_.SetText(IDC_EDIT_DECIMAL, BinaryToDecimal(window_.PeekText(IDC_EDIT_BINARY)));
}
