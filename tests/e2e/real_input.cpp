#include "tests/e2e/real_input.h"

#include <vector>

void ClickInto(HWND window, HWND control) {
  SetForegroundWindow(window);
  RECT box{};
  GetWindowRect(control, &box);
  // Absolute mouse coordinates run from 0 to 65535 over the primary screen.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const LONG x = (box.left + box.right) / 2 * 65535 / (width - 1);
  const LONG y = (box.top + box.bottom) / 2 * 65535 / (height - 1);
  INPUT inputs[3] = {};
  const DWORD flags[3] = {MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, MOUSEEVENTF_LEFTDOWN,
                          MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dx = x;
    inputs[i].mi.dy = y;
    inputs[i].mi.dwFlags = flags[i] | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(3, inputs, sizeof(INPUT));
}

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  const auto add = [&inputs](WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    // The navigation keys sit on the extended part of the keyboard.
    if (key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT || key == VK_UP ||
        key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_INSERT) {
      input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    }
    inputs.push_back(input);
  };
  for (const WORD key : keys) add(key, 0);
  for (const auto* key = keys.end(); key != keys.begin();) add(*--key, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

CaretPlace CaretOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return {};
  return CaretPlace{info.hwndCaret, info.rcCaret};
}
