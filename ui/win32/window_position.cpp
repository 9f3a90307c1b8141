#include "ui/win32/window_position.h"

void CentreWindow(HWND window, HWND reference) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(
          MonitorFromWindow(reference != nullptr ? reference : window, MONITOR_DEFAULTTOPRIMARY),
          &monitor)) {
    return;
  }
  const RECT& area = monitor.rcWork;
  RECT target = area;
  if (reference != nullptr) GetWindowRect(reference, &target);
  RECT own;
  GetWindowRect(window, &own);
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  LONG x = target.left + ((target.right - target.left) - width) / 2;
  LONG y = target.top + ((target.bottom - target.top) - height) / 2;
  // Keep it on the work area, its top-left corner first.
  if (x + width > area.right) x = area.right - width;
  if (y + height > area.bottom) y = area.bottom - height;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
