// Console lines on Windows: a console gets characters through WriteConsoleW, a redirected
// stream UTF-8 bytes; lines end with CR LF. The user's language is their UI language.

#include <windows.h>

#include <string>

#include "cli/console.h"

UserLocale CurrentUserLocale() {
  UserLocale locale;
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE) {
    locale.language = Language::kJapanese;
  }
  return locale;
}

// Every character reaches a console or a UTF-8 stream, so `asciiOnly` is never set here.
bool WriteLine(ConsoleStream stream, std::u16string_view text, [[maybe_unused]] bool asciiOnly) {
  const HANDLE handle =
      GetStdHandle(stream == ConsoleStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  std::wstring line;
  for (const char16_t c : text) {
    if (c == u'\n') line += L'\r';
    line += static_cast<wchar_t>(c);
  }
  line += L"\r\n";
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    return WriteConsoleW(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) !=
               0 &&
           written == line.size();
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
             0 &&
         written == bytes.size();
}
