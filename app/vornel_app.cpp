#include "app/vornel_app.h"

#include <commctrl.h>

#include "ui/vornel_dlg.h"
#include "ui/win32/main_dialog.h"
#include "ui/win32/win32_window_services.h"

// InitCommonControlsEx takes only the size Windows knows: the headers must declare the same.
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8);

CVornelApp::CVornelApp(HINSTANCE instance, ProgramState& state)
    : instance_(instance), state_(state) {}

BOOL CVornelApp::InitInstance() {
  // Progress bars and the other Windows 95 controls, and the link controls of the dialog.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);
  // The system may restart the program (after an update or a crash); no recovery data.
  RegisterApplicationRestart(nullptr, 0);

  Win32WindowServices window(instance_);
  CVornelDlg dialog(window, state_.folders, state_.settings, state_.conversion);
  exitCode_ = RunMainDialog(window, dialog) ? 0 : 1;
  return FALSE;
}
