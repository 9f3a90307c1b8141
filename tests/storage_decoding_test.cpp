// Decoding of loaded text files: the encoding by byte-order mark, the line ends, and
// malformed content.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "convert/binary.h"
#include "storage/file_access.h"
#include "storage/text_decoding.h"
#include "tests/support/storage_test_support.h"
#include "tests/support/test_text.h"
#include "tests/support/text_bytes.h"

namespace {

using storage_test::TempFolderTest;
using storage_test::WriteBytes;

const std::string kUtf8Mark = "\xEF\xBB\xBF";

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::u16string text;
};

TEST(DecodeUnicodeText, ChoosesTheEncodingAndEndsEveryLineWithCrLf) {
  const DecodeCase cases[] = {
      {"UTF-16LE without mark, no final line end", Utf16Bytes("1\n0"), u"1\r\n0\r\n"},
      {"UTF-16LE mark, CR LF line ends", Utf16WithMark("1\r\n0\r\n"), u"1\r\n0\r\n"},
      {"UTF-16LE mark, LF line ends", Utf16WithMark("10\n11\n"), u"10\r\n11\r\n"},
      {"UTF-8 mark", kUtf8Mark + "101\n1", u"101\r\n1\r\n"},
      {"UTF-8 mark, CR LF", kUtf8Mark + "1\r\n\r\n0\r\n", u"1\r\n\r\n0\r\n"},
      {"UTF-8 mark, Japanese", kUtf8Mark + "二進\xF0\x9F\x98\x80", u"二進\U0001F600\r\n"},
      {"UTF-8 without mark is read as UTF-16LE", "10\r\n", u"\u3031\u0A0D\r\n"},
      {"UTF-16LE surrogate pair", std::string("\x3D\xD8\x00\xDE", 4), u"\U0001F600\r\n"},
      {"lone CR stays a character", Utf16Bytes("1\r0"), u"1\r0\r\n"},
      {"CR before CR LF", Utf16Bytes("1\r\r\n0"), u"1\r\r\n0\r\n"},
      {"CR at the very end", Utf16Bytes("1\r"), u"1\r\r\n"},
      {"empty lines stay", Utf16Bytes("\n\n1\n\n"), u"\r\n\r\n1\r\n\r\n"},
      {"a single line end", Utf16Bytes("\r\n"), u"\r\n"},
      {"empty file", "", u""},
      {"only the UTF-16LE mark", kUtf16Mark, u""},
      {"only the UTF-8 mark", kUtf8Mark, u""},
      {"UTF-16BE mark is not recognised", "\xFE\xFF", u"\uFFFE\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeUnicodeText(c.bytes), c.text) << c.name;
  }
}

TEST(DecodeUnicodeText, MalformedContentBecomesCharactersTheBinaryCheckRefuses) {
  const DecodeCase cases[] = {
      {"odd trailing byte", Utf16Bytes("1") + "1", u"1\uFFFD\r\n"},
      {"odd single byte", "0", u"\uFFFD\r\n"},
      {"lone high surrogate", std::string("\x00\xD8", 2) + Utf16Bytes("1"), u"\uFFFD1\r\n"},
      {"high surrogate at the end", Utf16Bytes("1") + std::string("\x00\xD8", 2), u"1\uFFFD\r\n"},
      {"lone low surrogate", Utf16Bytes("0") + std::string("\x00\xDC", 2), u"0\uFFFD\r\n"},
      {"two high surrogates", std::string("\x00\xD8\x01\xD8", 4), u"\uFFFD\uFFFD\r\n"},
      {"UTF-16 NUL", Utf16Bytes("1") + std::string(2, '\0') + Utf16Bytes("0"), u"1\uFFFD0\r\n"},
      {"UTF-8 NUL",
       kUtf8Mark + std::string("1\0"
                               "0",
                               3),
       u"1\uFFFD0\r\n"},
      {"UTF-8 invalid byte",
       kUtf8Mark + "1\xFF"
                   "0",
       u"1\uFFFD0\r\n"},
      {"UTF-8 stray continuation",
       kUtf8Mark + "\x80"
                   "1",
       u"\uFFFD1\r\n"},
      {"UTF-8 truncated at the end", kUtf8Mark + "1\xE3\x81", u"1\uFFFD\r\n"},
      {"UTF-8 truncated before LF", kUtf8Mark + "1\xE3\n0", u"1\uFFFD\r\n0\r\n"},
      {"UTF-8 overlong", kUtf8Mark + "\xC0\xB1", u"\uFFFD\uFFFD\r\n"},
      {"UTF-8 encoded surrogate", kUtf8Mark + "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD\r\n"},
      {"UTF-8 above U+10FFFF", kUtf8Mark + "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\r\n"},
  };
  for (const auto& c : cases) {
    const std::u16string text = DecodeUnicodeText(c.bytes);
    EXPECT_EQ(text, c.text) << c.name;
    EXPECT_EQ(HasNonBinaryChars(text), 1) << c.name;
  }
}

class ReadUnicodeTextFileTest : public TempFolderTest {};

TEST_F(ReadUnicodeTextFileTest, ReadsWhatTheDecoderDecodes) {
  const std::string small = Utf16WithMark("1\r\n0\n11");
  // Several read chunks, with a malformed unit right at the end.
  std::string large = kUtf16Mark;
  for (int k = 0; k < 400000; ++k) large += Utf16Bytes(k % 3 == 0 ? "101\r\n" : "1\n");
  large += std::string("\x00\xDC", 2);
  const std::string inputs[] = {"", kUtf8Mark, small, kUtf8Mark + "二進\n1", large};
  for (const std::string& bytes : inputs) {
    const std::u16string path = At(u"入力.tbin");
    WriteBytes(path, bytes);
    const auto text = ReadUnicodeTextFile(path);
    ASSERT_TRUE(text.has_value()) << "size " << bytes.size();
    EXPECT_EQ(*text, DecodeUnicodeText(bytes)) << "size " << bytes.size();
  }
  EXPECT_EQ(A(ReadUnicodeTextFile(At(u"入力.tbin"), true).value_or(u"")).substr(0, 10),
            "101\r\n1\r\n1\r");
}

TEST_F(ReadUnicodeTextFileTest, GivesNothingForWhatCannotBeRead) {
  storage_test::MakeFolders(At(u"folder"));
  WriteBytes(At(u"file"), Utf16Bytes("1"));
  const std::u16string paths[] = {At(u"missing"), At(u"folder"), At(u"file/below"),
                                  At(u"missing/file"), std::u16string(u"fi\0le", 5)};
  for (const auto& path : paths) {
    EXPECT_FALSE(ReadUnicodeTextFile(path).has_value()) << A(path);
    EXPECT_FALSE(ReadUnicodeTextFile(path, true).has_value()) << A(path);
  }
}

}  // namespace
