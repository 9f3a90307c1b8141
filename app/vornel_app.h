#pragma once
// The application: prepares the window system and runs the main dialog.

#include "app/program_state.h"
#include "ui/win32/windows_api.h"

class CVornelApp {
 public:
  CVornelApp(HINSTANCE instance, ProgramState& state);

  // Initialises the common controls, registers the program for restart, runs the main dialog
  // modally and returns FALSE once it has closed, so that the program ends. No failure is
  // reported.
  BOOL InitInstance();

 private:
  HINSTANCE instance_;
  ProgramState& state_;
};
