// One start of the program's dialog, as the program makes it, on a window that shows
// nothing: `vornel_batch_driver DOCUMENTS` takes DOCUMENTS as the user's Documents folder
// (so a hand-off folder there makes it a batch run) and prints what the user would have
// seen, one item a line:
//   end <dialog result>      (no line when the dialog did not end by itself)
//   beeps <count>
//   box <type> <text>        (each message box, its text in UTF-8, CR LF as "\n")
// The fault tests start it in a child process whose rights, file-size limit or life they
// control. Exit status 0 once the start has returned, 2 on a usage error.
#include <cstdio>
#include <string>

#include "storage/settings.h"
#include "storage/utf8.h"
#include "storage/working_folders.h"
#include "tests/support/fake_window.h"
#include "ui/vornel_dlg.h"

namespace {

std::u16string FromUtf8(const std::string& bytes) {
  std::u16string text;
  std::string_view rest(bytes);
  while (!rest.empty()) {
    char32_t codePoint = 0;
    const std::size_t used = DecodeUtf8Sequence(rest, codePoint);
    AppendUtf16(text, codePoint == kInvalidSequence ? U'\uFFFD' : codePoint);
    rest.remove_prefix(used);
  }
  return text;
}

std::string ToUtf8(std::u16string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit == u'\r') continue;
    if (unit == u'\n') {
      bytes += "\\n";
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      AppendUtf8(bytes, 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else {
      AppendUtf8(bytes, unit);
    }
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DOCUMENTS\n", argv[0]);
    return 2;
  }
  const std::u16string documents = FromUtf8(argv[1]);
  FolderState folders;
  SettingsState settings;
  ConversionState conversion;
  FakeWindow window;
  CVornelDlg dialog(window, folders, settings, conversion);
  window.dialog = &dialog;
  // A lookup returns a copy: `documents` is captured by reference and must stay.
  dialog.SetDocumentsLookup([&] { return documents; });  // NOLINT(performance-no-automatic-move)
  dialog.OnInitDialog();
  if (window.endResult) std::printf("end %d\n", *window.endResult);
  std::printf("beeps %d\n", window.beeps);
  for (const FakeWindow::Box& box : window.boxes) {
    std::printf("box %s %s\n", box.icon == MessageIcon::kError ? "error" : "information",
                ToUtf8(box.text).c_str());
  }
  return 0;
}
