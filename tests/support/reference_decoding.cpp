#include "tests/support/reference_decoding.h"

#include <cstddef>
#include <vector>

std::u16string ReferenceDecodeUtf16Le(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) bytes.remove_prefix(2);
  std::vector<char16_t> units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  std::u16string text;
  bool open = false;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    const bool high = u >= 0xD800 && u <= 0xDBFF;
    const bool low = u >= 0xDC00 && u <= 0xDFFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      text += u;
      text += units[++i];
      open = true;
    } else if (u == u'\n') {
      if (i == 0 || units[i - 1] != u'\r') text += u'\r';
      text += u'\n';
      open = false;
    } else {
      text += u == 0 || high || low ? u'\uFFFD' : u;
      open = true;
    }
  }
  if (bytes.size() % 2 != 0) {
    text += u'\uFFFD';
    open = true;
  }
  if (open) text += u"\r\n";
  return text;
}
