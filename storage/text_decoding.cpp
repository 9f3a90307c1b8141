// Decoding of the Unicode text files the program loads: the encoding chosen by the
// byte-order mark, and every line handed back with CR LF after it.

#include <string>
#include <string_view>

#include "storage/file_access.h"
#include "storage/utf8.h"

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

// Collects decoded characters into lines: CR LF and a lone LF end a line, a lone CR stays a
// character, and every line (the last one included) is closed with CR LF.
class LineCollector {
 public:
  explicit LineCollector(std::u16string& out) : out_(out) {}

  void Put(char16_t c) {
    if (pendingCr_) {
      pendingCr_ = false;
      if (c == u'\n') {
        EndLine();
        return;
      }
      Append(u'\r');
    }
    if (c == u'\r') {
      pendingCr_ = true;
    } else if (c == u'\n') {
      EndLine();
    } else {
      // A NUL would cut the text short wherever it is passed on as a C string.
      Append(c == u'\0' ? kReplacement : c);
    }
  }

  void Finish() {
    if (pendingCr_) Append(u'\r');
    pendingCr_ = false;
    if (lineOpen_) EndLine();
  }

 private:
  void Append(char16_t c) {
    out_.push_back(c);
    lineOpen_ = true;
  }
  void EndLine() {
    out_.append(u"\r\n");
    lineOpen_ = false;
  }

  std::u16string& out_;
  bool pendingCr_ = false;
  bool lineOpen_ = false;
};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void DecodeUtf16Le(std::string_view bytes, LineCollector& lines) {
  const auto unitAt = [&](std::size_t k) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) |
                                 (static_cast<unsigned char>(bytes[k + 1]) << 8));
  };
  const std::size_t units = bytes.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t unit = unitAt(2 * i);
    if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(2 * i + 2))) {
      lines.Put(unit);
      lines.Put(unitAt(2 * ++i));
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      lines.Put(kReplacement);
    } else {
      lines.Put(unit);
    }
  }
  if (bytes.size() % 2 != 0) lines.Put(kReplacement);
}

void DecodeUtf8(std::string_view bytes, LineCollector& lines) {
  while (!bytes.empty()) {
    char32_t codePoint = 0;
    bytes.remove_prefix(DecodeUtf8Sequence(bytes, codePoint));
    if (codePoint == kInvalidSequence) {
      lines.Put(kReplacement);
    } else if (codePoint < 0x10000) {
      lines.Put(static_cast<char16_t>(codePoint));
    } else {
      const char32_t offset = codePoint - 0x10000;
      lines.Put(static_cast<char16_t>(0xD800 + (offset >> 10)));
      lines.Put(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    }
  }
}

}  // namespace

std::u16string DecodeUnicodeText(std::string_view bytes) {
  static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  static constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
  std::u16string text;
  LineCollector lines(text);
  if (bytes.starts_with(kUtf8Mark)) {
    bytes.remove_prefix(kUtf8Mark.size());
    text.reserve(bytes.size() + 2);
    DecodeUtf8(bytes, lines);
  } else {
    if (bytes.starts_with(kUtf16LeMark)) bytes.remove_prefix(kUtf16LeMark.size());
    text.reserve(bytes.size() / 2 + 2);
    DecodeUtf16Le(bytes, lines);
  }
  lines.Finish();
  return text;
}
