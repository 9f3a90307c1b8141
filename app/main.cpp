// Start-up of the program: the program-wide state, the application, its one dialog.
#include "app/program_state.h"
#include "app/vornel_app.h"
#include "ui/win32/windows_api.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  ProgramState state;
  CVornelApp app(instance, state);
  app.InitInstance();
  return app.ExitCode();
}
