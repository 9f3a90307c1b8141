#pragma once
// A text of many lines for the tests of the Win32 front end's controls.

#include <string>

// `count` times `line` and CR LF.
inline std::wstring Lines(int count, const std::wstring& line) {
  std::wstring text;
  for (int i = 0; i < count; ++i) text += line + L"\r\n";
  return text;
}
