#pragma once
// Real input for the program under test, as a user gives it: keys and mouse clicks through
// SendInput (they go to the foreground window's focused control), and where the program's
// system caret is.

#include <windows.h>

#include <initializer_list>

// Brings `window` to the foreground and clicks the middle of `control` with the left button.
void ClickInto(HWND window, HWND control);
// Presses the keys in order and releases them in reverse order, as a chord (Ctrl+C: VK_CONTROL,
// 'C').
void PressKeys(std::initializer_list<WORD> keys);

// The system caret of the thread that owns `window`: its window (nullptr when the thread shows
// none) and its rectangle in that window's client coordinates.
struct CaretPlace {
  HWND window = nullptr;
  RECT rect{};
};
CaretPlace CaretOf(HWND window);
