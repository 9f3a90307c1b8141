#pragma once
// The settings file: two lines, automatic processing on or off and messages shown or not,
// stored as the four bytes "1" or "0", CR LF, "1" or "0".

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Bytes the settings reader takes from the file at most, terminator included: the size the
// settings file has always been read with, so that a long file is cut where it always was.
inline constexpr std::size_t kSettingsReadBufferSize = 2077000;
// Texts of this many characters or more are refused by ParseSettingLines.
inline constexpr std::size_t kSettingsTextLimit = 10000;

// The settings as read at start-up; they stay for the whole run.
struct SettingsState {
  std::array<std::u16string, 2> SettingLines;
  std::int32_t SettingLineCount = 0;
  std::vector<char> SettingsReadBuffer;  // allocated on first use
};

// Splits `text` into state.SettingLines (LF ends a line, CR is dropped, characters above
// 0x7F are dropped, a NUL ends the text, text past the second line is ignored), advancing
// state.SettingLineCount. true when split; false when refused as too long (nothing changes
// then).
bool ParseSettingLines(SettingsState& state, std::u16string_view text);

// Text of the settings file at `path`, up to its first NUL byte and at most
// kSettingsReadBufferSize - 1 bytes, each byte one character; the empty text when the file
// cannot be opened (also while another program holds it open for writing).
std::u16string ReadSettingsText(SettingsState& state, const std::u16string& path);

// true when a line means off: it is exactly "0".
bool SettingMeansOff(std::u16string_view line);

// The four bytes of the settings file.
std::string SettingsFileBytes(bool autoProcessing, bool showMessages);
