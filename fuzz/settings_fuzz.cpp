// The settings file on arbitrary bytes: the file's bytes are read by ReadSettingsText and the text
// is split by ParseSettingLines, as at start-up.
//
// What must hold for every input: no crash; the text read is the file's bytes up to the first NUL,
// one character per byte, whatever longer file was read before into the same buffer; a text of
// 10000 characters or more is refused and leaves the state untouched; otherwise SettingLineCount is
// one more than the LFs that end a line, and the two lines hold exactly the characters 0x01..0x7F
// other than CR of the first two lines, as computed here independently. The split also runs on the
// raw bytes themselves (NULs included) and, for inputs of 15 bytes modulo 16, on the text repeated
// to just below and just at the length limit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_file.h"
#include "storage/settings.h"

namespace {

// Each byte as one character.
std::u16string Widened(std::string_view bytes) {
  std::u16string text;
  for (char b : bytes) text.push_back(static_cast<unsigned char>(b));
  return text;
}

// What ParseSettingLines must leave in a fresh state for `text` below the length limit.
SettingsState ExpectedSplit(std::u16string_view text) {
  SettingsState expected;
  std::int32_t line = 0;
  for (std::size_t i = 0; i < text.size() && text[i] != u'\0'; ++i) {
    const char16_t c = text[i];
    if (c == u'\n') {
      if (i + 1 != text.size()) ++line;
    } else if (c != u'\r' && c < 0x80 && line < 2) {
      expected.SettingLines[static_cast<std::size_t>(line)].push_back(c);
    }
  }
  expected.SettingLineCount = line + 1;
  return expected;
}

void CheckSplit(std::u16string_view text) {
  if (text.size() >= kSettingsTextLimit) {
    // Refused: whatever the state held stays as it was.
    SettingsState state;
    state.SettingLines = {u"1", u"0 "};
    state.SettingLineCount = 1;
    FUZZ_CHECK(!ParseSettingLines(state, text));
    FUZZ_CHECK(state.SettingLineCount == 1);
    FUZZ_CHECK(state.SettingLines[0] == u"1" && state.SettingLines[1] == u"0 ");
    return;
  }
  SettingsState state;
  FUZZ_CHECK(ParseSettingLines(state, text));
  FUZZ_CHECK(state.SettingLineCount >= 1);
  FUZZ_CHECK(static_cast<std::size_t>(state.SettingLineCount) <= text.size() + 1);
  const SettingsState expected = ExpectedSplit(text);
  FUZZ_CHECK(state.SettingLineCount == expected.SettingLineCount);
  FUZZ_CHECK(state.SettingLines == expected.SettingLines);
}

// `text` repeated (or '1' when empty) to exactly `length` characters.
std::u16string RepeatedTo(std::u16string_view text, std::size_t length) {
  if (text.empty()) return std::u16string(length, u'1');
  std::u16string out;
  out.reserve(length);
  while (out.size() < length) out += text.substr(0, length - out.size());
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("vornel-fuzz-settings");
  // One reader for the whole run: its buffer keeps the bytes of earlier, longer files.
  static SettingsState reader;

  const std::string bytes = fuzz::Bytes(data, size);
  file.Write(bytes);
  const std::u16string text = ReadSettingsText(reader, file.Path());
  FUZZ_CHECK(text == Widened(std::string_view(bytes).substr(0, bytes.find('\0'))));

  CheckSplit(text);
  CheckSplit(Widened(bytes));
  if (size % 16 == 15) {  // for some inputs only: long texts are slow to check
    const std::u16string padded = RepeatedTo(text, kSettingsTextLimit);
    CheckSplit(padded);
    CheckSplit(std::u16string_view(padded).substr(0, kSettingsTextLimit - 1));
  }
  return 0;
}
