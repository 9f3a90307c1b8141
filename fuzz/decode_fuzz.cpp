// Decoding of a loaded file's bytes into text, on arbitrary bytes: every byte-order-mark case
// (none, UTF-16LE, UTF-8, and marks that are not recognised), the whole file at once and piece by
// piece as ReadUnicodeTextFile reads it.
//
// What must hold for every input: no crash; the text holds no NUL and no unpaired surrogate; every
// LF is preceded by CR; a non-empty text ends with CR LF; decoding the text again, in any of the
// three encodings, gives the same text; and where every character stands for itself (ASCII after
// the UTF-8 mark, or UTF-16LE without surrogates and NUL) the text is the input's characters with
// each line closed by CR LF, computed here independently; a UTF-16LE text is the one the plain
// reference decodes one unit at a time. The decoder fed in pieces of a few bytes (cut anywhere:
// inside a mark, a UTF-8 sequence, a UTF-16 unit or a surrogate pair) gives the same text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "storage/file_access.h"
#include "storage/text_decoding.h"
#include "tests/support/reference_decoding.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Checks the shape every decoded text has.
void CheckShape(const std::u16string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    FUZZ_CHECK(c != u'\0');
    if (c == u'\n') FUZZ_CHECK(i > 0 && text[i - 1] == u'\r');
    if (IsHigh(c)) FUZZ_CHECK(i + 1 < text.size() && IsLow(text[i + 1]));
    if (IsLow(c)) FUZZ_CHECK(i > 0 && IsHigh(text[i - 1]));
  }
  if (!text.empty()) {
    FUZZ_CHECK(text.size() >= 2 && text.ends_with(u"\r\n"));
  }
}

std::string Utf16LeBytes(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

// UTF-8 bytes of a well-formed UTF-16 text.
std::string Utf8Bytes(std::u16string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHigh(text[i])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (cp < 0x80) {
      bytes.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      bytes.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return bytes;
}

// The characters with every line closed by CR LF: CR LF and a lone LF end a line, a lone CR is an
// ordinary character, and an unfinished last line gets its CR LF.
std::u16string WithLineEnds(std::u16string_view chars) {
  std::u16string text;
  bool lineOpen = false;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const bool crLf = chars[i] == u'\r' && i + 1 < chars.size() && chars[i + 1] == u'\n';
    if (chars[i] == u'\n' || crLf) {
      if (crLf) ++i;
      text += u"\r\n";
      lineOpen = false;
    } else {
      text.push_back(chars[i]);
      lineOpen = true;
    }
  }
  if (lineOpen) text += u"\r\n";
  return text;
}

// The characters of `bytes` when each of them stands for itself in the encoding the marks choose;
// nullopt when some byte sequence needs real decoding (or replacement).
std::optional<std::u16string> PlainCharacters(std::string_view bytes) {
  std::u16string chars;
  if (bytes.starts_with(kUtf8Mark)) {
    for (char b : bytes.substr(kUtf8Mark.size())) {
      const auto byte = static_cast<unsigned char>(b);
      if (byte == 0 || byte >= 0x80) return std::nullopt;
      chars.push_back(byte);
    }
    return chars;
  }
  if (bytes.starts_with(kUtf16LeMark)) bytes.remove_prefix(kUtf16LeMark.size());
  if (bytes.size() % 2 != 0) return std::nullopt;
  for (std::size_t k = 0; k < bytes.size(); k += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) |
                                            (static_cast<unsigned char>(bytes[k + 1]) << 8));
    if (unit == 0 || IsSurrogate(unit)) return std::nullopt;
    chars.push_back(unit);
  }
  return chars;
}

// The text as ReadUnicodeTextFile builds it, reading the file into a buffer of `capacity` bytes (at
// least 4) that keeps the bytes of an unfinished character for the next piece.
std::u16string DecodedInPieces(std::string_view bytes, std::size_t capacity) {
  std::u16string text;
  UnicodeTextDecoder decoder(text);
  std::string held;
  for (;;) {
    const std::string_view more = bytes.substr(0, capacity - held.size());
    held += more;
    bytes.remove_prefix(more.size());
    const bool last = held.size() < capacity;
    const std::size_t taken = decoder.Decode(held, last);
    FUZZ_CHECK(taken <= held.size());
    if (last) {
      FUZZ_CHECK(taken == held.size());
      return text;
    }
    FUZZ_CHECK(held.size() - taken <= 3);  // at most an unfinished character stays behind
    held.erase(0, taken);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = fuzz::Bytes(data, size);
  const std::u16string text = DecodeUnicodeText(bytes);
  CheckShape(text);

  if (const auto chars = PlainCharacters(bytes)) FUZZ_CHECK(text == WithLineEnds(*chars));

  if (!bytes.starts_with(kUtf8Mark)) FUZZ_CHECK(ReferenceDecodeUtf16Le(bytes) == text);
  // Pieces of 4 to 7 bytes, and of a size that follows from the input.
  for (std::size_t capacity = 4; capacity <= 7; ++capacity) {
    FUZZ_CHECK(DecodedInPieces(bytes, capacity) == text);
  }
  FUZZ_CHECK(DecodedInPieces(bytes, 8 + size % 61) == text);

  // The text read back from each encoding the reader accepts is the text itself.
  FUZZ_CHECK(DecodeUnicodeText(std::string(kUtf16LeMark) + Utf16LeBytes(text)) == text);
  FUZZ_CHECK(DecodeUnicodeText(std::string(kUtf8Mark) + Utf8Bytes(text)) == text);
  const std::string unmarked = Utf16LeBytes(text);
  if (!unmarked.starts_with(kUtf16LeMark) && !unmarked.starts_with(kUtf8Mark)) {
    FUZZ_CHECK(DecodeUnicodeText(unmarked) == text);
  }
  return 0;
}
