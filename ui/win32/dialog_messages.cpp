#include "ui/win32/dialog_messages.h"

void DispatchDialogMessage(HWND dialog, const MSG& message) {
  if (message.message != WM_KEYDOWN && dialog != nullptr &&
      IsDialogMessageW(dialog, const_cast<MSG*>(&message))) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool PumpPendingMessages(HWND dialog) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
    if (message.message == WM_QUIT) return false;
    DispatchDialogMessage(dialog, message);
  }
  return true;
}
