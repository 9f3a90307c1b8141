#include "ui/win32/dialog_messages.h"

namespace {

// A key press or the character it types. The dialog's handling would ask the focused control
// for its dialog code with the message itself, and a multi-line edit box asked so takes itself
// for a dialog's: from then on it answers Escape by closing its parent.
bool IsTypingMessage(UINT message) { return message == WM_KEYDOWN || message == WM_CHAR; }

}  // namespace

void DispatchDialogMessage(HWND dialog, const MSG& message) {
  if (!IsTypingMessage(message.message) && dialog != nullptr &&
      IsDialogMessageW(dialog, const_cast<MSG*>(&message))) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

std::optional<int> PumpPendingMessages(HWND dialog, bool paint) {
  // Input, posted and sent messages (timers among them); paint requests only when asked.
  const UINT kinds = paint ? 0 : PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
  std::optional<int> quit;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | kinds)) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | kinds)) break;
    if (message.message == WM_QUIT) {
      quit = static_cast<int>(message.wParam);
    } else {
      DispatchDialogMessage(dialog, message);
    }
  }
  return quit;
}
