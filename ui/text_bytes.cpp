#include "ui/text_bytes.h"

std::string ToAnsiBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t c : text) bytes.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return bytes;
}
