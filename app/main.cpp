// Start-up of the program: the program-wide state, the application, its one dialog.
#include <objbase.h>

#include "app/program_state.h"
#include "app/vornel_app.h"
#include "ui/win32/windows_api.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  // COM for the program's life on its one window thread: the views hand their accessible
  // objects to other processes through it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ProgramState state;
  CVornelApp app(instance, state);
  app.InitInstance();
  const int exitCode = app.ExitCode();
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
