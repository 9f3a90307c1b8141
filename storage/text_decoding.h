#pragma once
// The decoder behind ReadUnicodeTextFile and DecodeUnicodeText, fed piece by piece so that a
// file is decoded while it is read, without holding its bytes and its text at once.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Decodes the bytes of a Unicode text file as ReadUnicodeTextFile does.
std::u16string DecodeUnicodeText(std::string_view bytes);

// How the text of a file is encoded, as its first bytes tell.
struct TextEncoding {
  bool utf8 = false;          // UTF-8; UTF-16LE otherwise
  std::size_t markBytes = 0;  // length of the byte-order mark in front of the text
};

// The encoding `start`, the first bytes of a file, chooses: UTF-8 after the UTF-8 byte-order
// mark, UTF-16LE otherwise (after its mark, if there is one). nullopt while fewer than three
// bytes are known and `complete` is not set (more may follow).
std::optional<TextEncoding> EncodingOf(std::string_view start, bool complete);

// `Text`: std::u16string or FirstTouchedU16String.
template <class Text>
class BasicUnicodeTextDecoder {
 public:
  // Appends the decoded text to `out`, whose owner may remove text from its front between
  // calls.
  explicit BasicUnicodeTextDecoder(Text& out) : out_(out) {}

  // Decodes the whole characters at the start of `bytes` (the file's bytes that follow those
  // taken so far) and returns how many bytes it took. The rest, at most three bytes of an
  // unfinished character, must come again at the start of the next call. With `last` set,
  // `bytes` ends the file: everything is taken and the text is finished.
  std::size_t Decode(std::string_view bytes, bool last);

 private:
  enum class Encoding { kUndecided, kUtf16Le, kUtf8 };

  std::size_t DecodeUtf16Le(std::string_view bytes, bool last);
  std::size_t DecodeUtf8(std::string_view bytes, bool last);
  // Index of the first unit at or after `from` that needs more than a copy.
  std::size_t RunEnd(std::string_view bytes, std::size_t from) const;
  void PutSpecial(char32_t codePoint);
  void Finish();

  Text& out_;
  bool lineOpen_ = false;  // characters have come since the last line end
  Encoding encoding_ = Encoding::kUndecided;
  char32_t previous_ = 0;  // the character before the next one, as it stood in the file
};

using UnicodeTextDecoder = BasicUnicodeTextDecoder<std::u16string>;
