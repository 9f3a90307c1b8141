#include "storage/settings.h"

#include <algorithm>

#include "storage/platform.h"

bool ParseSettingLines(SettingsState& state, std::u16string_view text) {
  const std::size_t n = text.size();
  if (n >= kSettingsTextLimit) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c == u'\0') break;
    if (c == u'\n') {
      if (i != n - 1) ++state.SettingLineCount;
    } else if (c != u'\r' && c <= 0x7F) {
      // Only two lines are kept; text on a third or later line has no place and is dropped.
      const std::int32_t line = state.SettingLineCount;
      if (line >= 0 && line < static_cast<std::int32_t>(state.SettingLines.size())) {
        state.SettingLines[static_cast<std::size_t>(line)].push_back(c);
      }
    }
  }
  ++state.SettingLineCount;
  return true;
}

std::u16string ReadSettingsText(SettingsState& state, const std::u16string& path) {
  if (state.SettingsReadBuffer.size() != kSettingsReadBufferSize) {
    state.SettingsReadBuffer.assign(kSettingsReadBufferSize, '\0');
  }
  auto file = platform::NativeFile::Open(path, platform::OpenMode::kReadDenyWriters);
  if (!file) return {};
  // One byte always stays free, so the text ends within the buffer however long the file is.
  char* const buffer = state.SettingsReadBuffer.data();
  const std::size_t capacity = kSettingsReadBufferSize - 1;
  std::size_t filled = 0;
  while (filled < capacity) {
    const auto got = file->Read(buffer + filled, capacity - filled);
    if (!got) return {};
    if (*got == 0) break;
    filled += *got;
  }
  // Only this read's bytes count: the buffer is never cleared between reads.
  const char* const end = std::find(buffer, buffer + filled, '\0');
  std::u16string text;
  text.reserve(static_cast<std::size_t>(end - buffer));
  for (const char* p = buffer; p != end; ++p) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
  }
  return text;
}

bool SettingMeansOff(std::u16string_view line) { return line == u"0"; }

std::string SettingsFileBytes(bool autoProcessing, bool showMessages) {
  std::string bytes;
  bytes += autoProcessing ? '1' : '0';
  bytes += "\r\n";
  bytes += showMessages ? '1' : '0';
  return bytes;
}
