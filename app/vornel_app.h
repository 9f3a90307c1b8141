#pragma once
// The application: prepares the window system and runs the main dialog.

#include "app/program_state.h"
#include "ui/win32/windows_api.h"

class CVornelApp {
 public:
  CVornelApp(HINSTANCE instance, ProgramState& state);

  // Initialises the common controls, registers the program for restart, runs the main dialog
  // modally and returns FALSE once it has closed, so that the program ends.
  BOOL InitInstance();
  // The program's exit code after InitInstance: 0 once the dialog has run, 1 when its window
  // could not be created (a calling program must not take that for a finished run).
  int ExitCode() const { return exitCode_; }

 private:
  HINSTANCE instance_;
  ProgramState& state_;
  int exitCode_ = 0;
};
