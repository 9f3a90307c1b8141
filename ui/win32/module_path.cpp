#include "ui/win32/module_path.h"

#include "ui/win32/wide_text.h"
#include "ui/win32/windows_api.h"

std::u16string ModuleFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const auto size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) return {};
    // A full buffer means the path was cut: try again with a larger one.
    if (length < size) return FromWide(std::wstring_view(buffer.data(), length));
    if (buffer.size() >= std::size_t{32768} * 2) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string FolderOf(const std::u16string& path) {
  const std::size_t separator = path.find_last_of(u"\\/");
  return separator == std::u16string::npos ? std::u16string() : path.substr(0, separator);
}
