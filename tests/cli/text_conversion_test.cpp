// The converter's pipeline where it differs from the batch run's: how a text without a
// byte-order mark is told UTF-16LE from UTF-8, and where a refused text goes wrong, with the
// text read in pieces of every size. The conversion itself is the batch run's
// (tests/fast_path_test.cpp).

#include "pipeline/text_conversion.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_folder.h"
#include "tests/support/text_bytes.h"

namespace {

TEST(TextConversionTest, TheEncodingOfATextWithoutAMarkIsToldByItsBytes) {
  struct Case {
    const char* name;
    std::string start;
    std::optional<std::uint64_t> length;
    bool complete;
    int expected;  // 8: UTF-8, 16: UTF-16LE, 0: not yet told
    std::size_t mark;
  };
  const std::string zeros = Utf16Bytes(std::string(2048, '1'));  // 4096 bytes
  const std::string late = zeros + "10";                         // '0', not zero, at offset 4097
  std::string edge = zeros;
  edge[4095] = '0';  // the last odd offset within them
  const Case cases[] = {
      {"the UTF-8 mark",
       "\xEF\xBB\xBF"
       "1",
       4, false, 8, 3},
      {"the UTF-16LE mark", "\xFF\xFE", 1000, false, 16, 2},
      {"the UTF-16LE mark and an odd length",
       "\xFF\xFE"
       "1",
       3, true, 16, 2},
      {"zeros at odd offsets", Utf16Bytes("10\n"), 6, true, 16, 0},
      {"an odd length", Utf16Bytes("10\n") + "1", 7, true, 8, 0},
      {"ASCII", "10\n", 3, true, 8, 0},
      {"a non-zero byte at the last odd offset sniffed", edge, 8192, false, 8, 0},
      {"a non-zero byte beyond them", late, 8192, false, 16, 0},
      {"fewer bytes than sniffed", zeros.substr(0, 4094), 8192, false, 0, 0},
      {"a mark's start", "\xEF\xBB", 8192, false, 0, 0},
      {"nothing", "", 0, true, 16, 0},
      {"a stream's length not known yet", zeros, std::nullopt, false, 16, 0},
      {"too few of a stream's bytes", zeros.substr(0, 4094), std::nullopt, false, 0, 0},
  };
  for (const Case& c : cases) {
    const auto encoding = SniffedEncodingOf(c.start, c.length, c.complete);
    ASSERT_EQ(encoding.has_value(), c.expected != 0) << c.name;
    if (!encoding) continue;
    EXPECT_EQ(encoding->utf8 ? 8 : 16, c.expected) << c.name;
    EXPECT_EQ(encoding->markBytes, c.mark) << c.name;
  }
}

// What refused a text.
enum class Refusal { kForeign, kTooLong };

TEST(TextConversionTest, ARefusalIsPlacedWhereverThePiecesEnd) {
  struct Case {
    const char* name;
    std::string bytes;
    Refusal refusal;
    TextPlace expected;  // line 0: none
  };
  const std::string tooLong(32, '1');
  const Case cases[] = {
      {"UTF-16LE with its mark", Utf16WithMark("1\r\n\r\n1\r0x"), Refusal::kForeign, {3, 4}},
      {"UTF-16LE without a mark, a lone LF", Utf16Bytes("1\n\n11\n02"), Refusal::kForeign, {4, 2}},
      {"an odd byte at the end", Utf16WithMark("1\n0") + "1", Refusal::kForeign, {2, 2}},
      {"UTF-8 beyond ASCII", "10\n1\xE3\x81\x82", Refusal::kForeign, {2, 2}},
      {"malformed UTF-8",
       "\xEF\xBB\xBF"
       "0\r\n\xFF",
       Refusal::kForeign,
       {2, 1}},
      {"no foreign character", "0\r\n" + tooLong, Refusal::kForeign, {0, 0}},
      {"a line too long", "1\n\n" + tooLong + "\n1", Refusal::kTooLong, {3, 0}},
      {"31 digits and CRs, then the last line too long",
       Repeat("1\r", 31) + "\n" + tooLong,
       Refusal::kTooLong,
       {2, 0}},
      {"late in a long text", Repeat("10\r\n", 3000) + "0\r\n1x", Refusal::kForeign, {3002, 2}},
      {"a foreign character after a line too long",
       tooLong + "\n1\r\n\n10 ",
       Refusal::kForeign,
       {4, 3}},
      {"late in a text the two threads share",
       Utf16Bytes(Repeat("1\r\n\n", 40000) + "1" + tooLong),
       Refusal::kTooLong,
       {80001, 0}},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    WriteBytes(folder.path() / "in.txt", c.bytes);
    auto input = OpenFile::ForReading((folder.path() / "in.txt").u16string());
    ASSERT_TRUE(input);
    for (std::size_t piece : {4, 5, 7, 4096, 1 << 20}) {
      const auto converted = ConvertTextInput(
          *input, [](std::string_view) { return true; }, piece);
      ASSERT_TRUE(converted);
      const bool met = c.refusal == Refusal::kForeign ? converted->foreign : converted->tooLong;
      const TextPlace found = met ? converted->place.value_or(TextPlace{}) : TextPlace{};
      EXPECT_EQ(found.line, c.expected.line) << c.name << ", piece " << piece;
      EXPECT_EQ(found.column, c.expected.column) << c.name << ", piece " << piece;
    }
  }
}

// A stream's length is known only at its end: converted as it comes, it must give what the
// same bytes give in a file, also when they look like UTF-16LE but their length is odd.
TEST(TextConversionTest, AStreamIsConvertedAsTheSameBytesInAFile) {
  const std::string utf16 = Utf16Bytes(Repeat("10\r\n", 3000));
  const std::string cases[] = {
      utf16,
      utf16 + "1",
      utf16 + Utf16Bytes("x") + "1",
      Utf16Bytes("\n") + utf16 + "1",
      Utf16Bytes(Repeat("1", 32) + "\n") + utf16 + "1",
      Repeat("0\n", 3000) + "1",
      Utf16WithMark("10\n") + "1",
      "",
  };
  TempFolder folder;
  for (const std::string& bytes : cases) {
    WriteBytes(folder.path() / "in.txt", bytes);
    auto input = OpenFile::ForReading((folder.path() / "in.txt").u16string());
    ASSERT_TRUE(input);
    std::string fromFile;
    const auto expected = ConvertTextInput(*input, [&](std::string_view part) {
      fromFile += part;
      return true;
    });
    ASSERT_TRUE(expected);
    for (std::size_t piece : {4, 7, 4096, 1 << 20}) {
      std::string fromStream;
      const auto converted =
          ConvertStreamInput([&](const PieceTaker& take,
                                 std::size_t bytes) { return input->ReadInPieces(take, bytes); },
                             [&](std::string_view part) {
                               fromStream += part;
                               return true;
                             },
                             piece);
      ASSERT_TRUE(converted);
      const std::string name =
          "length " + std::to_string(bytes.size()) + ", piece " + std::to_string(piece);
      EXPECT_EQ(converted->foreign, expected->foreign) << name;
      EXPECT_EQ(converted->tooLong, expected->tooLong) << name;
      EXPECT_EQ(converted->numbers, expected->numbers) << name;
      const TextPlace place = converted->place.value_or(TextPlace{});
      EXPECT_EQ(place.line, expected->place.value_or(TextPlace{}).line) << name;
      EXPECT_EQ(place.column, expected->place.value_or(TextPlace{}).column) << name;
      if (!expected->foreign && !expected->tooLong) {
        EXPECT_EQ(fromStream, fromFile) << name;
      }
    }
  }
}

}  // namespace
