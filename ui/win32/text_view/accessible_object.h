#pragma once
// The view's own MSAA object: a read-only text with the view's label as its name and its text
// (bounded: accessible_text.h) as its value.

#include "ui/win32/windows_api.h"

// Answers WM_GETOBJECT for OBJID_CLIENT of text view `view` with a new object; 0 when it
// cannot be made (the caller then leaves the answer to DefWindowProc).
LRESULT AnswerAccessibleObject(HWND view, WPARAM wParam);
