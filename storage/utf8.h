#pragma once
// UTF-8 sequences one code point at a time, for the text decoder and for file names.

#include <cstddef>
#include <string>
#include <string_view>

// Marks a run of bytes that is not a well-formed UTF-8 sequence.
inline constexpr char32_t kInvalidSequence = 0xFFFFFFFF;

// Decodes the sequence at the start of `bytes` (not empty) into `codePoint` and returns the
// number of bytes it takes. For a malformed sequence `codePoint` is kInvalidSequence and
// the count covers its longest valid-looking start (at least one byte), so that each
// malformed part is reported once.
std::size_t DecodeUtf8Sequence(std::string_view bytes, char32_t& codePoint);

// Number of bytes of the sequence that `lead` starts: 1 for ASCII, 2 to 4 for a lead byte of
// a well-formed sequence, 0 for a byte that starts none.
std::size_t Utf8SequenceLength(unsigned char lead);

// Appends the UTF-8 form of `codePoint` (at most 0x10FFFF, not a surrogate) to `out`.
void AppendUtf8(std::string& out, char32_t codePoint);

// Appends `codePoint` to `out`, a UTF-16 text, as one code unit or a surrogate pair.
template <class Text>
void AppendUtf16(Text& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<char16_t>(codePoint));
    return;
  }
  const char32_t offset = codePoint - 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
}
