#pragma once
// The view's UI Automation provider: an Edit element with the Value and Text patterns.
//
// Threading: ProviderOptions_UseComThreading, so that every call comes on the window's own
// thread (as wine does too) and may read and change the view without locks.

#include "ui/win32/text_view/uia_declarations.h"

// A new provider for text view `view`, with one reference for the caller; nullptr when memory
// runs out. It looks the view up on each call and answers UIA_E_ELEMENTNOTAVAILABLE once the
// window is gone.
IRawElementProviderSimple* NewUiaProvider(HWND view);
