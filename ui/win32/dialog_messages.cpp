#include "ui/win32/dialog_messages.h"

void DispatchDialogMessage(HWND dialog, const MSG& message) {
  if (message.message != WM_KEYDOWN && dialog != nullptr &&
      IsDialogMessageW(dialog, const_cast<MSG*>(&message))) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool PumpPendingMessages(HWND dialog, bool paint) {
  // Input, posted and sent messages (timers among them); paint requests only when asked.
  const UINT kinds = paint ? 0 : PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | kinds)) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | kinds)) break;
    if (message.message == WM_QUIT) return false;
    DispatchDialogMessage(dialog, message);
  }
  return true;
}
