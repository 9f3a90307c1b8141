#pragma once
// How the main dialog's thread dispatches the messages it takes from its queue.

#include <optional>

#include "ui/win32/windows_api.h"

// Dispatches one message taken from the queue. A key press (WM_KEYDOWN) and the character it
// types (WM_CHAR) are translated and dispatched straight to their window, the focused control,
// so typing works while the dialog's own keyboard handling (Enter, Escape, Tab, arrow keys)
// never sees them; every other message (Alt with a key among them) goes through the dialog's
// handling first.
void DispatchDialogMessage(HWND dialog, const MSG& message);

// Takes and dispatches the pending messages of the thread one at a time, as long as any is
// pending; without `paint`, windows waiting to be repainted keep waiting. A quit message is
// taken without ending the pump and is not posted again: returns the exit code of the last
// one taken, nullopt when none was.
std::optional<int> PumpPendingMessages(HWND dialog, bool paint = true);
