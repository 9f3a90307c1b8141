// The top row of the dialog: one typed binary number and its decimal value.
#include "convert/binary.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/vornel_dlg.h"

void CVornelDlg::OnEnChangeBinary() {
  const std::u16string text = window_.GetText(IDC_EDIT_BINARY);
  if (text.find_first_not_of(u"01") == std::u16string::npos) return;
  window_.MessageBox(msg::kNotBinaryInput, MessageIcon::kError);
  window_.SetText(IDC_EDIT_BINARY, u"");
}

void CVornelDlg::OnBnClickedConvert() {
  window_.SetText(IDC_EDIT_DECIMAL, u"");
  window_.SetText(IDC_EDIT_DECIMAL, BinaryToDecimal(window_.GetText(IDC_EDIT_BINARY)));
}
