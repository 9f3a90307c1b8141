// The program's start when its window cannot be made: it must say so in its exit code, since a
// calling program cannot tell a run that never began from one that found nothing to do.
#include <gtest/gtest.h>

#include "app/program_state.h"
#include "app/vornel_app.h"
#include "ui/win32/windows_api.h"

namespace {

TEST(ProgramStart, AWindowThatCannotBeMadeEndsTheProgramWithExitCode1) {
  // This test program carries no dialog template, so the main dialog cannot be made, as when
  // there is no desktop to make it on.
  ProgramState state;
  CVornelApp app(GetModuleHandleW(nullptr), state);
  EXPECT_EQ(app.InitInstance(), FALSE);
  EXPECT_EQ(app.ExitCode(), 1);
}

}  // namespace
