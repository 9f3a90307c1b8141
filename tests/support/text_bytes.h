#pragma once
// Texts as the bytes of the files that hold them, for the tests natively and under wine.

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace text_bytes_detail {

template <class Unit>
std::string Utf16Bytes(std::basic_string_view<Unit> units) {
  std::string bytes;
  bytes.reserve(2 * units.size());
  for (const Unit unit : units) {
    const auto value = static_cast<unsigned>(static_cast<std::make_unsigned_t<Unit>>(unit));
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
  }
  return bytes;
}

}  // namespace text_bytes_detail

// UTF-16LE bytes, without a byte-order mark, of ASCII text.
inline std::string Utf16Bytes(std::string_view ascii) {
  return text_bytes_detail::Utf16Bytes(ascii);
}
// UTF-16LE bytes, without a byte-order mark, of UTF-16 text.
inline std::string Utf16Bytes(std::u16string_view text) {
  return text_bytes_detail::Utf16Bytes(text);
}
#ifdef _WIN32
// UTF-16LE bytes, without a byte-order mark, of Windows' wide text (UTF-16).
inline std::string Utf16Bytes(std::wstring_view text) {
  return text_bytes_detail::Utf16Bytes(text);
}
#endif

// The byte-order mark of UTF-16LE.
inline constexpr char kUtf16Mark[] = "\xFF\xFE";

// `text` as a UTF-16LE file with its byte-order mark, as other programs write Unicode text.
template <class Text>
std::string Utf16WithMark(const Text& text) {
  return kUtf16Mark + Utf16Bytes(text);
}

// `count` times `text`.
inline std::string Repeat(std::string_view text, std::size_t count) {
  std::string out;
  out.reserve(text.size() * count);
  for (std::size_t k = 0; k < count; ++k) out += text;
  return out;
}
