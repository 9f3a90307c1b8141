#pragma once
// How the main dialog's thread dispatches the messages it takes from its queue.

#include "ui/win32/windows_api.h"

// Dispatches one message taken from the queue. A key press (WM_KEYDOWN) and the character it
// types (WM_CHAR) are translated and dispatched straight to their window, the focused control,
// so typing works while the dialog's own keyboard handling (Enter, Escape, Tab, arrow keys)
// never sees them; every other message (Alt with a key among them) goes through the dialog's
// handling first.
void DispatchDialogMessage(HWND dialog, const MSG& message);

// Takes and dispatches the pending messages of the thread one at a time, as long as any is
// pending; without `paint`, windows waiting to be repainted keep waiting. false when it took
// a quit message (it is not posted again), else true.
bool PumpPendingMessages(HWND dialog, bool paint = true);
