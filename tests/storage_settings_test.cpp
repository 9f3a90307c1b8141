// The settings file: splitting its text, reading its bytes, and the bytes written.

#include <gtest/gtest.h>

#include <string>

#include "storage/file_access.h"
#include "storage/settings.h"
#include "tests/support/storage_test_support.h"
#include "tests/support/test_text.h"

namespace {

using storage_test::TempFolderTest;
using storage_test::WriteBytes;

struct ParseCase {
  std::u16string text;
  std::u16string line0;
  std::u16string line1;
  int count;
};

TEST(ParseSettingLines, SplitsIntoTwoLines) {
  const ParseCase cases[] = {
      {u"1\r\n1", u"1", u"1", 2},
      {u"1\r\n1\r\n", u"1", u"1", 2},
      {u"0\r\n1", u"0", u"1", 2},
      {u"1", u"1", u"", 1},
      {u"", u"", u"", 1},
      {u"1\n0", u"1", u"0", 2},
      {u"1\r0", u"10", u"", 1},
      {u"\r\r1\r\n\r0\r", u"1", u"0", 2},
      {u"0 \r\n 1", u"0 ", u" 1", 2},
      {u"1\u00E9\u3042\r\n\u00800", u"1", u"0", 2},
      {std::u16string(u"1\0\r\n0", 5), u"1", u"", 1},
      {u"\n", u"", u"", 1},
      {u"\n\n", u"", u"", 2},
      {u"\n1", u"", u"1", 2},
      {u"1\n\n", u"1", u"", 2},
      {u"1\n0\n3rd line\n4th", u"1", u"0", 4},
      {u"1\n0\n\n\n\n", u"1", u"0", 5},
  };
  for (const auto& c : cases) {
    SettingsState state;
    EXPECT_TRUE(ParseSettingLines(state, c.text)) << A(c.text);
    EXPECT_EQ(state.SettingLines[0], c.line0) << A(c.text);
    EXPECT_EQ(state.SettingLines[1], c.line1) << A(c.text);
    EXPECT_EQ(state.SettingLineCount, c.count) << A(c.text);
  }
}

TEST(ParseSettingLines, RefusesTextsOfTenThousandCharactersOrMore) {
  for (const std::size_t length :
       {kSettingsTextLimit, kSettingsTextLimit + 1, std::size_t{2076999}}) {
    SettingsState state;
    state.SettingLines = {u"a", u"b"};
    state.SettingLineCount = 7;
    EXPECT_FALSE(ParseSettingLines(state, std::u16string(length, u'1'))) << length;
    EXPECT_EQ(state.SettingLines[0], u"a");
    EXPECT_EQ(state.SettingLines[1], u"b");
    EXPECT_EQ(state.SettingLineCount, 7);
  }
  SettingsState state;
  EXPECT_TRUE(ParseSettingLines(state, std::u16string(kSettingsTextLimit - 1, u'1')));
  EXPECT_EQ(state.SettingLines[0].size(), kSettingsTextLimit - 1);
}

TEST(ParseSettingLines, DropsLongTextPastTheSecondLine) {
  SettingsState state;
  const std::u16string text = u"0\n1\n" + std::u16string(9000, u'7') + u"\n8\n9";
  EXPECT_TRUE(ParseSettingLines(state, text));
  EXPECT_EQ(state.SettingLines[0], u"0");
  EXPECT_EQ(state.SettingLines[1], u"1");
  EXPECT_EQ(state.SettingLineCount, 5);
}

TEST(SettingMeansOff, OnlyAnExactZero) {
  EXPECT_TRUE(SettingMeansOff(u"0"));
  for (const char16_t* line : {u"", u"1", u"0 ", u" 0", u"00", u"\uFF10", u"0\r"}) {
    EXPECT_FALSE(SettingMeansOff(line)) << A(line);
  }
}

TEST(SettingsFileBytes, FourBytes) {
  EXPECT_EQ(SettingsFileBytes(true, true), "1\r\n1");
  EXPECT_EQ(SettingsFileBytes(true, false), "1\r\n0");
  EXPECT_EQ(SettingsFileBytes(false, true), "0\r\n1");
  EXPECT_EQ(SettingsFileBytes(false, false), "0\r\n0");
}

class ReadSettingsTextTest : public TempFolderTest {};

TEST_F(ReadSettingsTextTest, TakesEachByteAsOneCharacterUpToTheFirstNul) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"as written", "1\r\n0", u"1\r\n0"},
      {"empty", "", u""},
      {"bytes above 0x7F",
       "1\x82\xA0\r\n\xFF"
       "0",
       u"1\u0082\u00A0\r\n\u00FF0"},
      {"NUL ends the text",
       std::string("1\r\n\0"
                   "0",
                   5),
       u"1\r\n"},
      {"leading NUL",
       std::string("\0"
                   "1",
                   2),
       u""},
      {"UTF-16 is read byte by byte",
       std::string("\xFF\xFE"
                   "1\0",
                   4),
       u"\u00FF\u00FE1"},
  };
  SettingsState state;
  const std::u16string path = At(u"Pellow.tmp");
  for (const auto& c : cases) {
    WriteBytes(path, c.bytes);
    EXPECT_EQ(ReadSettingsText(state, path), c.text) << c.name;
  }
  ASSERT_EQ(state.SettingsReadBuffer.size(), kSettingsReadBufferSize);
}

TEST_F(ReadSettingsTextTest, AShorterFileAfterALongerOneGivesOnlyItsOwnBytes) {
  SettingsState state;
  const std::u16string path = At(u"Pellow.tmp");
  WriteBytes(path, "0\r\n0 and more text");
  EXPECT_EQ(ReadSettingsText(state, path), u"0\r\n0 and more text");
  WriteBytes(path, "1\r\n1");
  EXPECT_EQ(ReadSettingsText(state, path), u"1\r\n1");
}

TEST_F(ReadSettingsTextTest, ReadsAtMostTheBufferLessOneByte) {
  SettingsState state;
  const std::u16string path = At(u"Pellow.tmp");
  WriteBytes(path, std::string(3'000'000, '1'));
  const std::u16string text = ReadSettingsText(state, path);
  EXPECT_EQ(text.size(), kSettingsReadBufferSize - 1);
  EXPECT_EQ(text.find_first_not_of(u'1'), std::u16string::npos);
  EXPECT_FALSE(ParseSettingLines(state, text));
  EXPECT_EQ(state.SettingLineCount, 0);
}

TEST_F(ReadSettingsTextTest, GivesTheEmptyTextForWhatCannotBeOpened) {
  storage_test::MakeFolders(At(u"folder"));
  SettingsState state;
  EXPECT_EQ(ReadSettingsText(state, At(u"missing")), u"");
  EXPECT_EQ(ReadSettingsText(state, At(u"folder")), u"");
}

TEST_F(ReadSettingsTextTest, WhatIsWrittenReadsBackAsTheSameTwoSettings) {
  for (const bool automatic : {false, true}) {
    for (const bool messages : {false, true}) {
      const std::u16string path = At(u"Pellow.tmp");
      ASSERT_EQ(WriteTextFile(path, SettingsFileBytes(automatic, messages)), 1);
      EXPECT_EQ(storage_test::ReadBytes(path).size(), 4u);
      SettingsState state;
      EXPECT_TRUE(ParseSettingLines(state, ReadSettingsText(state, path)));
      EXPECT_EQ(SettingMeansOff(state.SettingLines[0]), !automatic);
      EXPECT_EQ(SettingMeansOff(state.SettingLines[1]), !messages);
      EXPECT_EQ(state.SettingLineCount, 2);
    }
  }
}

}  // namespace
