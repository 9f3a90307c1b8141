#include "convert/split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_text.h"

namespace {

struct SplitCase {
  std::u16string text;
  std::vector<std::string> entries;
  std::string trimmed;
};

TEST(SplitIntoNumberList, SplitsTheTable) {
  const SplitCase cases[] = {
      {u"101\r\n11\r\n", {"101", "11"}, "101\r\n11"},
      {u"101\n\n\n11", {"101", "11"}, "101\n\n\n11"},
      {u"\r\n\r\n101", {"101"}, "\r\n\r\n101"},
      {u"10\r1\r\n0", {"101", "0"}, "10\r1\r\n0"},
      {u"1\r0\r1", {"101"}, "1\r0\r1"},
      {u"1\r\n\r\r\n0", {"1", "0"}, "1\r\n\r\r\n0"},
      {u"\r\n\r\n", {}, ""},
      {u"\n", {}, ""},
      {u"", {}, ""},
      {u"0001\n1", {"0001", "1"}, "0001\n1"},
      {u"1\n\r\n\n\r\r\n", {"1"}, "1"},
      {u"\n\n1\n", {"1"}, "\n\n1"},
      {u"0", {"0"}, "0"},
  };
  for (const auto& c : cases) {
    std::u16string text = c.text;
    NumberValues list;
    std::int64_t count = -7;
    EXPECT_TRUE(SplitIntoNumberList(text, list, count));
    EXPECT_EQ(Values(list), ValuesOf(c.entries)) << "text: " << A(c.text);
    EXPECT_EQ(count, static_cast<std::int64_t>(c.entries.size())) << "text: " << A(c.text);
    EXPECT_EQ(A(text), c.trimmed);
  }
}

TEST(SplitIntoNumberList, StepsOncePerCharacterOfTheTrimmedText) {
  std::u16string text = u"10\r\n1\r\n\r\n";
  NumberValues list;
  std::int64_t count = 0;
  std::vector<std::int64_t> positions;
  EXPECT_TRUE(SplitIntoNumberList(text, list, count, [&](std::int64_t i) {
    positions.push_back(i);
    return false;
  }));
  EXPECT_EQ(positions, (std::vector<std::int64_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(Values(list), ValuesOf({"10", "1"}));

  std::u16string only_breaks = u"\r\n\r\n";
  int steps = 0;
  EXPECT_TRUE(SplitIntoNumberList(only_breaks, list = NumberValues(), count, [&](std::int64_t) {
    ++steps;
    return false;
  }));
  EXPECT_EQ(steps, 0);
  EXPECT_EQ(count, 0);
}

TEST(SplitIntoNumberList, ACancelLeavesTheListEmpty) {
  for (std::int64_t cancel_at : {0, 3, 6}) {
    std::u16string text = u"101\n11\n1\r\n";
    NumberValues list;
    std::int64_t count = 0;
    std::int64_t last = -1;
    EXPECT_FALSE(SplitIntoNumberList(text, list, count, [&](std::int64_t i) {
      last = i;
      return i == cancel_at;
    }));
    EXPECT_EQ(last, cancel_at);
    EXPECT_TRUE(list.Empty()) << "cancel at " << cancel_at;
    EXPECT_EQ(A(text), "101\n11\n1");  // the trim has happened already
  }
}

TEST(SplitIntoNumberList, KeepsEveryEntryOfALargeText) {
  std::u16string text;
  std::vector<std::string> expected;
  for (int k = 0; k < 100000; ++k) {
    std::string number;
    for (int bit = k; bit > 0; bit >>= 1) number.insert(number.begin(), bit & 1 ? '1' : '0');
    if (number.empty()) number = "0";
    text += U(number) + (k % 3 == 0 ? u"\r\n" : k % 3 == 1 ? u"\n\n" : u"\r\r\n");
    expected.push_back(number);
  }
  NumberValues list;
  std::int64_t count = 0;
  ASSERT_TRUE(SplitIntoNumberList(text, list, count));
  EXPECT_EQ(count, 100000);
  EXPECT_EQ(Values(list), ValuesOf(expected));
}

TEST(SplitIntoNumberList, MarksTheFirstEntryOverThirtyOneCharacters) {
  const std::u16string fits = u"1\n" + std::u16string(31, u'1') + u"\n";
  const struct {
    std::u16string text;
    std::int64_t firstOverlong;
  } cases[] = {
      {fits, -1},
      {fits + std::u16string(32, u'0'), 2},  // leading zeros count
      {fits + std::u16string(40, u'1') + u"\r\n" + std::u16string(33, u'1'), 2},
  };
  for (const auto& c : cases) {
    std::u16string text = c.text;
    NumberValues list;
    std::int64_t count = 0;
    ASSERT_TRUE(SplitIntoNumberList(text, list, count));
    EXPECT_EQ(list.FirstOverlong(), c.firstOverlong) << A(c.text);
  }
}

}  // namespace
