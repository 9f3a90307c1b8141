// The line index of the read-only text view: where lines start and end for every kind of
// line break, which line a position falls in, and which lines are the longest.
#include "ui/win32/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::u16string> AllLines(const TextLines& lines) {
  std::vector<std::u16string> all;
  for (std::size_t i = 0; i < lines.LineCount(); ++i) all.emplace_back(lines.Line(i));
  return all;
}

TEST(TextLines, SplitsAtEveryKindOfLineBreakAndKeepsTheText) {
  struct Case {
    std::u16string text;
    std::vector<std::u16string> lines;
  };
  const std::vector<Case> cases = {
      {u"", {u""}},
      {u"101", {u"101"}},
      {u"1\r\n10\r\n", {u"1", u"10", u""}},
      {u"a\r\nb\nc\rd", {u"a", u"b", u"c", u"d"}},
      {u"\r\n", {u"", u""}},
      {u"\n\n", {u"", u"", u""}},
      {u"\r\r\n", {u"", u"", u""}},    // a lone CR, then CR LF
      {u"x\n\ry", {u"x", u"", u"y"}},  // LF CR is two breaks
  };
  for (const Case& c : cases) {
    TextLines lines;
    lines.Assign(std::u16string(c.text));
    EXPECT_EQ(AllLines(lines), c.lines) << testing::PrintToString(c.text);
    EXPECT_EQ(lines.Text(), c.text);
    EXPECT_TRUE(lines.Line(lines.LineCount()).empty());
    EXPECT_EQ(lines.LineStart(lines.LineCount()), c.text.size());
  }
}

TEST(TextLines, PositionsBelongToTheLineTheyAreIn) {
  TextLines lines;
  lines.Assign(u"ab\r\nc\n\nde");  // lines start at 0, 4, 6, 7
  struct Case {
    std::size_t position;
    std::size_t line;
  };
  for (const Case& c : {Case{0, 0}, Case{2, 0}, Case{3, 0}, Case{4, 1}, Case{5, 1}, Case{6, 2},
                        Case{7, 3}, Case{9, 3}, Case{100, 3}}) {
    EXPECT_EQ(lines.LineOf(c.position), c.line) << c.position;
  }
  EXPECT_EQ(lines.LineStart(3), 7u);
}

TEST(TextLines, LongestLinesComeFirst) {
  TextLines lines;
  lines.Assign(u"1\r\n10110\r\n\r\n111\r\n1010101\r\n");
  EXPECT_EQ(lines.LongestLines(3), (std::vector<std::size_t>{4, 1, 3}));
  EXPECT_EQ(lines.LongestLines(100).size(), lines.LineCount());
  EXPECT_TRUE(lines.LongestLines(0).empty());
  lines.Assign(u"10\r\n1\r\n01\r\n11");  // among lines of one length, the earlier first
  EXPECT_EQ(lines.LongestLines(2), (std::vector<std::size_t>{0, 2}));
}

TEST(TextLines, ANewTextReplacesTheOldOneAndKeepsItsMemory) {
  TextLines lines;
  lines.Assign(u"1\r\n0\r\n1");
  lines.Assign(u"11");
  EXPECT_EQ(AllLines(lines), std::vector<std::u16string>{u"11"});

  std::u16string text(1000, u'1');
  const char16_t* memory = text.data();
  lines.Assign(std::move(text));
  EXPECT_TRUE(text.empty());  // NOLINT(bugprone-use-after-move): it is left empty
  EXPECT_EQ(lines.Text().data(), memory);
  EXPECT_EQ(lines.Line(0).size(), 1000u);
}

}  // namespace
