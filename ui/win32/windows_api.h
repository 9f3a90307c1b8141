#pragma once
// <windows.h> for the front end. It defines MessageBox as a macro for MessageBoxW, which
// would rename WindowServices::MessageBox in every file that sees it; the macro is dropped
// here, so call ::MessageBoxW by its own name.

#include <windows.h>
#undef MessageBox
