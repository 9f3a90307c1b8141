#pragma once
// The view's accessibility: what WM_GETOBJECT answers (MSAA and UI Automation), its name, and
// the UI Automation events beside the view's MSAA events.

#include <string>

#include "ui/win32/windows_api.h"

// Answers WM_GETOBJECT for text view `view`: its own MSAA objects for OBJID_CLIENT and
// OBJID_WINDOW, its UI Automation provider for UI Automation's root object; DefWindowProc's
// answer otherwise.
LRESULT OnGetObject(HWND view, WPARAM wParam, LPARAM lParam);
// The view's name: the text of the label just before it in the dialog (a static control),
// without its mnemonic's '&'; empty when no label comes before it.
std::wstring AccessibleName(HWND view);
// Raises UI Automation's text-changed event for `view`, when a client listens that was given a
// view's provider.
void RaiseUiaTextChanged(HWND view);
// Raises UI Automation's text-selection-changed event for `view`, on the same condition.
void RaiseUiaSelectionChanged(HWND view);
// Lets UI Automation release what it holds for `view` (on WM_DESTROY).
void ReleaseUiaProvider(HWND view);
