// For the README's high-contrast screenshot (scripts/screenshot-contrast.sh): sets a
// high-contrast black scheme with SetSysColors, starts the real Vornel.exe, reads and converts a
// few numbers, selects a result with the keys, and holds that until told to end; then puts the
// colours back. Arguments: a file to create when the dialog is ready, and a file whose
// appearance ends the run.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/private_documents.h"
#include "tests/e2e/program_driver.h"
#include "tests/e2e/real_input.h"
#include "tests/support/text_bytes.h"

namespace {

// The colours of Windows' "High Contrast Black" scheme.
struct SchemeColour {
  int element;
  COLORREF colour;
};
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr SchemeColour kHighContrastBlack[] = {
    {COLOR_WINDOW, kBlack},
    {COLOR_WINDOWTEXT, kWhite},
    {COLOR_3DFACE, kBlack},
    {COLOR_BTNTEXT, kWhite},
    {COLOR_3DHILIGHT, kWhite},
    {COLOR_3DLIGHT, kWhite},
    {COLOR_3DSHADOW, kWhite},
    {COLOR_3DDKSHADOW, kWhite},
    {COLOR_HIGHLIGHT, RGB(26, 235, 255)},
    {COLOR_HIGHLIGHTTEXT, kBlack},
    {COLOR_GRAYTEXT, RGB(63, 242, 63)},
    {COLOR_HOTLIGHT, RGB(255, 255, 0)},
    {COLOR_ACTIVECAPTION, RGB(128, 0, 128)},
    {COLOR_GRADIENTACTIVECAPTION, RGB(128, 0, 128)},
    {COLOR_CAPTIONTEXT, kWhite},
    {COLOR_INACTIVECAPTION, RGB(0, 128, 0)},
    {COLOR_GRADIENTINACTIVECAPTION, RGB(0, 128, 0)},
    {COLOR_INACTIVECAPTIONTEXT, kWhite},
    {COLOR_WINDOWFRAME, kWhite},
    {COLOR_ACTIVEBORDER, kBlack},
    {COLOR_INACTIVEBORDER, kBlack},
    {COLOR_BTNFACE, kBlack},
    {COLOR_MENU, kBlack},
    {COLOR_MENUTEXT, kWhite},
    {COLOR_SCROLLBAR, kBlack},
    {COLOR_INFOBK, kBlack},
    {COLOR_INFOTEXT, kWhite},
    {COLOR_APPWORKSPACE, kBlack},
    {COLOR_BACKGROUND, kBlack},
};

// Sets the scheme; gives back the colours it replaced.
std::vector<SchemeColour> SetScheme(const SchemeColour* scheme, std::size_t count) {
  std::vector<int> elements;
  std::vector<COLORREF> colours;
  std::vector<SchemeColour> old;
  for (std::size_t i = 0; i < count; ++i) {
    elements.push_back(scheme[i].element);
    colours.push_back(scheme[i].colour);
    old.push_back({scheme[i].element, GetSysColor(scheme[i].element)});
  }
  SetSysColors(static_cast<int>(count), elements.data(), colours.data());
  return old;
}

bool Ok(bool holds, const char* what) {
  if (!holds) std::fprintf(stderr, "contrast_shot: %s\n", what);
  return holds;
}

bool ShowTheDialog(const PrivateDocuments& documents, HWND& dialog,
                   std::optional<RunningProgram>& program) {
  namespace fs = std::filesystem;
  fs::create_directories(documents.Path() / L"Brindlecot");
  fs::create_directories(documents.AppData() / L"temp");
  WriteBytes(documents.AppData() / L"temp" / L"Pellow.tmp", "1\r\n1");  // completion messages
  const fs::path input = documents.Scratch() / L"numbers.txt";
  WriteBytes(input, Utf16WithMark("101\r\n11\r\n1111111111\r\n100000000\r\n"));
  program.emplace(ProgramPath());
  dialog = program->WaitForDialog(L"Vornel Ver2");
  if (!Ok(dialog != nullptr, "the dialog did not appear")) return false;
  SetControlText(dialog, IDC_BROWSE_FILE, input.wstring());
  Click(dialog, IDC_BTN_READ_FILE);
  if (!Ok(WaitUntil([&] { return ControlVisible(dialog, IDC_BTN_CONVERT_FILE); }),
          "the file was not read")) {
    return false;
  }
  Click(dialog, IDC_BTN_CONVERT_FILE);
  // The completion message, and any other message before the results show, is closed.
  const bool converted = WaitUntil([&] {
    if (const std::optional<OwnedDialog> box = WaitForMessageBox(dialog, Milliseconds(100))) {
      PressOk(box->window);
    }
    return ControlTextLength(dialog, IDC_EDIT_RESULT) > 0 && IsWindowEnabled(dialog) != FALSE;
  });
  if (!Ok(converted, "no results")) return false;
  const HWND results = FindDescendant(dialog, IDC_EDIT_RESULT);
  ClickInto(dialog, results);
  if (!Ok(WaitUntil([&] { return CaretOf(dialog).window == results; }), "no caret")) return false;
  PressKeys({VK_CONTROL, VK_HOME});
  PressKeys({VK_DOWN});
  PressKeys({VK_DOWN});
  PressKeys({VK_SHIFT, VK_DOWN});
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const std::vector<SchemeColour> old =
      SetScheme(kHighContrastBlack, std::size(kHighContrastBlack));
  int status = 1;
  {
    const PrivateDocuments documents;
    HWND dialog = nullptr;
    std::optional<RunningProgram> program;
    if (Ok(documents.Active(), "no private Documents folder") &&
        ShowTheDialog(documents, dialog, program)) {
      std::ofstream(std::filesystem::path(argv[1])) << "ready\n";
      status =
          WaitUntil([&] { return std::filesystem::exists(argv[2]); }, Milliseconds(120000)) ? 0 : 1;
    }
  }
  SetScheme(old.data(), old.size());
  return status;
}
