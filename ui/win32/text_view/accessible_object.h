#pragma once
// The view's own MSAA objects: the client, a read-only text with the view's label as its name
// and its text (bounded: accessible_text.h) as its value; and the window, named by that label
// instead of the window text.

#include "ui/win32/windows_api.h"

// Answers WM_GETOBJECT for `objectId` (OBJID_CLIENT or OBJID_WINDOW) of text view `view` with a
// new object; 0 when it cannot be made (the caller then leaves the answer to DefWindowProc).
LRESULT AnswerAccessibleObject(HWND view, LONG objectId, WPARAM wParam);
