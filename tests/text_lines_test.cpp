// The line index of the read-only text view: where lines start and end for every kind of
// line break, which line a position falls in, and which lines are the longest; the fast pass
// against its plain twin and both against lines split here one character at a time.
#include "ui/win32/text_view/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "convert/decimal_lines.h"
#include "ui/win32/text_view/text_units.h"

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

  // A shared text is shown in place and kept alive while it is shown.
  auto shared = std::make_optional<SharedText>(std::u16string(2000, u'0'));
  memory = shared->View().data();
  lines.Assign(*shared);
  shared.reset();
  EXPECT_EQ(lines.Text().data(), memory);
  EXPECT_EQ(lines.Line(0), std::u16string(2000, u'0'));
}

struct ExpectedLine {
  std::size_t start;
  std::size_t end;  // before the line break
};

// The lines of `text`, split one character at a time.
std::vector<ExpectedLine> SplitLines(std::u16string_view text) {
  std::vector<ExpectedLine> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.push_back({start, i});
    if (text.substr(i, 2) == u"\r\n") ++i;
    start = i + 1;
  }
  lines.push_back({start, text.size()});
  return lines;
}

// The `count` longest of `lines`, longest first, the earlier first among lines of one length.
std::vector<std::size_t> LongestOf(const std::vector<ExpectedLine>& lines, std::size_t count) {
  std::vector<std::size_t> order(lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&lines](std::size_t a, std::size_t b) {
    return lines[a].end - lines[a].start > lines[b].end - lines[b].start;
  });
  order.resize(std::min(count, order.size()));
  return order;
}

// The marks of `lines`: line 0, then each line kLinesPerMark lines or kCharsPerMark characters
// (from start to start) after the mark before it.
std::vector<LineMark> MarksOf(const std::vector<ExpectedLine>& lines) {
  std::vector<LineMark> marks{LineMark{}};
  for (std::size_t k = 1; k < lines.size(); ++k) {
    if (k - marks.back().line >= kLinesPerMark ||
        lines[k].start - marks.back().start >= kCharsPerMark) {
      marks.push_back(LineMark{k, lines[k].start});
    }
  }
  return marks;
}

// Checks the index of `text` and every member of TextLines for it against SplitLines; stops at
// the first difference.
void ExpectIndexedLikeSplit(const std::u16string& text) {
  const std::vector<ExpectedLine> expected = SplitLines(text);
  for (const std::size_t kept :
       {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{TextLines::kLongestKept}}) {
    const LineIndex index = IndexLines(text, kept);
    ASSERT_EQ(index.lineCount, expected.size());
    ASSERT_TRUE(index.marks == MarksOf(expected)) << "kept " << kept;
    std::vector<LineLength> longest;
    for (const std::size_t k : LongestOf(expected, kept)) {
      longest.push_back(LineLength{k, expected[k].end - expected[k].start});
    }
    ASSERT_TRUE(index.longest == longest) << "kept " << kept;
  }
  TextLines lines;
  lines.Assign(std::u16string(text));
  ASSERT_EQ(lines.LineCount(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    ASSERT_EQ(lines.LineStart(k), expected[k].start) << "line " << k;
    ASSERT_EQ(lines.Line(k), std::u16string_view(text).substr(expected[k].start,
                                                              expected[k].end - expected[k].start))
        << "line " << k;
  }
  ASSERT_EQ(lines.LineStart(expected.size()), text.size());
  ASSERT_TRUE(lines.Line(expected.size()).empty());
  std::size_t line = 0;
  for (std::size_t position = 0; position <= text.size() + 1; ++position) {
    while (line + 1 < expected.size() && expected[line + 1].start <= position) ++line;
    ASSERT_EQ(lines.LineOf(position), line) << "position " << position;
  }
  for (const std::size_t count :
       {std::size_t{0}, std::size_t{1}, std::size_t{2}, TextLines::kLongestKept - 1,
        TextLines::kLongestKept, TextLines::kLongestKept + 1, expected.size(),
        expected.size() + 1}) {
    ASSERT_EQ(lines.LongestLines(count), LongestOf(expected, count)) << "count " << count;
  }
}

const std::vector<std::u16string> kLineBreaks = {u"\n",     u"\r",   u"\r\n",
                                                 u"\r\r\n", u"\n\r", u"\r\n\r\n"};

TEST(TextLines, EveryKindOfLineBreakAtEveryPlaceOfTheCharactersLookedAtTogether) {
  // The fast pass looks at 64 characters a round and at the one after them.
  for (const std::u16string& lineBreak : kLineBreaks) {
    for (std::size_t before = 0; before <= 140; ++before) {
      const std::u16string text = std::u16string(before, u'1') + lineBreak;
      SCOPED_TRACE(testing::PrintToString(text));
      ExpectIndexedLikeSplit(text);
      ExpectIndexedLikeSplit(text + u"01");
      std::u16string twoBreaks = text;
      twoBreaks.append(70, u'0').append(lineBreak).append(u"1");
      ExpectIndexedLikeSplit(twoBreaks);
    }
  }
}

TEST(TextLines, LinesAroundEveryMark) {
  struct Case {
    std::size_t lineCount;
    std::size_t shortest;
    std::size_t spread;  // line k has shortest + k % spread characters
  };
  // Marks after so many lines (short lines) and after so many characters (long lines).
  for (const Case c :
       {Case{kLinesPerMark - 1, 0, 5}, Case{kLinesPerMark, 0, 5}, Case{kLinesPerMark + 1, 0, 5},
        Case{2 * kLinesPerMark, 0, 1}, Case{3 * kLinesPerMark + 2, 0, 13},
        Case{6, kCharsPerMark - 2, 5}, Case{14, kCharsPerMark / 3 - 1, 3}, Case{50, 0, 997}}) {
    for (std::size_t kind = 0; kind < kLineBreaks.size(); ++kind) {
      std::u16string text;
      for (std::size_t k = 0; k < c.lineCount; ++k) {
        if (k > 0) text += kLineBreaks[(k + kind) % kLineBreaks.size()];
        text += std::u16string(c.shortest + k % c.spread, u'0');
      }
      SCOPED_TRACE(testing::Message() << c.lineCount << " lines, kind " << kind);
      ExpectIndexedLikeSplit(text);
    }
  }
}

TEST(TextLines, RandomTextsAreIndexedLikeTheyAreSplit) {
  struct Shape {
    std::size_t size;
    unsigned breakPerMille;  // chance of CR or LF at each character
  };
  // Characters whose low or high byte is a CR or an LF are no line breaks.
  const std::u16string others = u"x\u010D\u0A0D\u0D0A\u2028";
  std::mt19937 random(20240611);
  for (const Shape shape :
       {Shape{50, 300}, Shape{3000, 400}, Shape{5000, 150}, Shape{9000, 30}, Shape{20000, 1}}) {
    for (int round = 0; round < 4; ++round) {
      std::u16string text;
      for (std::size_t i = 0; i < shape.size; ++i) {
        const unsigned pick = random() % 1000;
        if (pick < shape.breakPerMille) {
          text += random() % 2 == 0 ? u'\r' : u'\n';
        } else if (pick < shape.breakPerMille + 5) {
          text += others[random() % others.size()];
        } else {
          text += random() % 2 == 0 ? u'0' : u'1';
        }
      }
      SCOPED_TRACE(testing::Message() << "size " << shape.size << ", round " << round);
      ExpectIndexedLikeSplit(text);
    }
  }
}

// Every line's start and characters and every position's line, alike in both.
void ExpectTheSameLines(const TextLines& formed, const TextLines& written) {
  ASSERT_EQ(formed.Size(), written.Size());
  ASSERT_EQ(formed.LineCount(), written.LineCount());
  EXPECT_EQ(AllLines(formed), AllLines(written));
  for (std::size_t line = 0; line <= written.LineCount(); ++line) {
    ASSERT_EQ(formed.LineStart(line), written.LineStart(line)) << line;
  }
  for (std::size_t position = 0; position <= written.Size() + 1; ++position) {
    ASSERT_EQ(formed.LineOf(position), written.LineOf(position)) << position;
  }
}

// Moves over characters and words from many positions, alike in both.
void ExpectTheSameMoves(const TextLines& formed, const TextLines& written) {
  std::mt19937 random(13);
  for (std::size_t position = 0; position <= written.Size(); position += 1 + random() % 5) {
    for (const TextUnit unit : {TextUnit::kCharacter, TextUnit::kWord}) {
      for (const long long by : {-3, -1, 1, 3}) {
        ASSERT_EQ(MoveByUnits(formed, unit, position, by), MoveByUnits(written, unit, position, by))
            << position << " by " << by;
      }
    }
  }
}

// Results shown from their values, each line formed as it is read, against the same results
// written out: every line, every position, the longest lines, characters copied from anywhere
// and the moves over characters and words, around the marks of both (every 64th line here,
// every 128th line there).
TEST(TextLines, DecimalLinesReadFromTheirValuesAreTheWrittenOnes) {
  std::mt19937 random(11);
  for (const int count : {0, 1, 63, 64, 65, 300, 1500}) {
    SCOPED_TRACE(count);
    auto values = std::make_shared<NumberValues>();
    for (int k = 0; k < count; ++k) {
      values->AddValue(k % 37 == 0   ? 2147483647u
                       : k % 41 == 0 ? 0u
                                     : static_cast<std::uint32_t>(random()) >> (k % 31 + 1));
    }
    TextLines written;
    written.Assign(DecimalLines(*values));
    TextLines formed;
    formed.Assign(DecimalLinesText::Index(values));
    ExpectTheSameLines(formed, written);
    for (const std::size_t longest : {std::size_t{1}, TextLines::kLongestKept,
                                      TextLines::kLongestKept + 5, written.LineCount() + 3}) {
      EXPECT_EQ(formed.LongestLines(longest), written.LongestLines(longest)) << longest;
    }
    const std::u16string_view all = written.Text();
    for (int k = 0; k < 200 && !all.empty(); ++k) {
      const std::size_t from = random() % all.size();
      const std::size_t length = random() % std::min<std::size_t>(all.size() - from, 40) + 1;
      std::u16string copied(length, u'?');
      formed.CopyChars(from, length, copied.data());
      ASSERT_EQ(copied, all.substr(from, length)) << from;
    }
    ExpectTheSameMoves(formed, written);
    EXPECT_EQ(formed.Text(), all);
  }
}

}  // namespace
