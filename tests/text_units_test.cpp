// The text units the view's keys and its accessibility ranges share: where each unit starts
// and ends, and where a position lands when it moves by units, up to both ends of the text.
#include "ui/win32/text_view/text_units.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

void PrintTo(const UnitMove& move, std::ostream* out) {
  *out << "{" << move.position << ", " << move.moved << "}";
}
void PrintTo(const UnitSpan& span, std::ostream* out) {
  *out << "{" << span.start << ", " << span.end << "}";
}

namespace {

TextLines LinesOf(const std::u16string& text) {
  TextLines lines;
  lines.Assign(std::u16string(text));
  return lines;
}

// The text for a failure message: a long one by its length only.
std::string Shown(const std::u16string& text) {
  return text.size() <= 40 ? testing::PrintToString(text)
                           : std::to_string(text.size()) + " characters";
}

const char* NameOf(TextUnit unit) {
  constexpr const char* kNames[] = {"character", "word", "line", "paragraph", "page", "document"};
  return kNames[static_cast<int>(unit)];
}

constexpr TextUnit kCharacter = TextUnit::kCharacter;
constexpr TextUnit kWord = TextUnit::kWord;
constexpr TextUnit kLine = TextUnit::kLine;
constexpr TextUnit kPage = TextUnit::kPage;
constexpr TextUnit kDocument = TextUnit::kDocument;

TEST(TextUnits, EnclosingUnits) {
  struct Case {
    std::u16string text;
    TextUnit unit;
    std::size_t position;
    UnitSpan span;
  };
  const Case cases[] = {
      {u"", kCharacter, 0, {0, 0}},
      {u"", kWord, 0, {0, 0}},
      {u"", kLine, 0, {0, 0}},
      {u"", kDocument, 0, {0, 0}},
      // One line without a line end.
      {u"ab cd", kCharacter, 0, {0, 1}},
      {u"ab cd", kCharacter, 5, {4, 5}},  // at the end: the last unit
      {u"ab cd", kWord, 1, {0, 3}},       // the space belongs to the word before
      {u"ab cd", kWord, 2, {0, 3}},
      {u"ab cd", kWord, 3, {3, 5}},
      {u"ab cd", kWord, 5, {3, 5}},
      {u"ab cd", kLine, 2, {0, 5}},
      {u"ab cd", TextUnit::kParagraph, 5, {0, 5}},
      {u"ab cd", kDocument, 3, {0, 5}},
      {u"ab cd", kCharacter, 99, {4, 5}},  // clamped to the text
      // CR LF lines: a line holds its line break, which is a character and a word of its own.
      {u"ab\r\ncd\r\n", kCharacter, 2, {2, 4}},
      {u"ab\r\ncd\r\n", kCharacter, 3, {2, 4}},  // between CR and LF
      {u"ab\r\ncd\r\n", kWord, 2, {2, 4}},
      {u"ab\r\ncd\r\n", kWord, 1, {0, 2}},
      {u"ab\r\ncd\r\n", kLine, 3, {0, 4}},
      {u"ab\r\ncd\r\n", kLine, 5, {4, 8}},
      {u"ab\r\ncd\r\n", kLine, 8, {4, 8}},
      // A lone CR ends a line; a surrogate pair is one character.
      {u"a\rb", kLine, 0, {0, 2}},
      {u"a\rb", kCharacter, 1, {1, 2}},
      {u"x\U0001F600y", kCharacter, 2, {1, 3}},
      // Words: letters and digits against other characters, in any script.
      {u"a1+=b  c", kWord, 2, {2, 4}},
      {u"a1+=b  c", kWord, 5, {4, 7}},
      {u"  ab", kWord, 1, {0, 2}},
      {u"変換、結果", kWord, 1, {0, 2}},
      {u"変換、結果", kWord, 2, {2, 3}},
      // A word longer than kLongestWord is cut; a cut inside a surrogate pair moves one on.
      {std::u16string(10000, u'1'), kWord, 5000, {4096, 8192}},
      {std::u16string(10000, u'1'), kWord, 9999, {8192, 10000}},
      {std::u16string(4095, u'a') + u"\U0001F600" + u"b", kWord, 4096, {0, 4097}},
      {std::u16string(4095, u'a') + u"\U0001F600" + u"b", kWord, 4097, {4097, 4098}},
      // Pages of two lines, counted from the first line.
      {u"a\nb\nc\nd\ne", kPage, 5, {4, 8}},
      {u"a\nb\nc\nd\ne", kPage, 9, {8, 9}},
  };
  for (const Case& c : cases) {
    const TextLines lines = LinesOf(c.text);
    EXPECT_EQ(EnclosingUnit(lines, c.unit, c.position, 2), c.span)
        << Shown(c.text) << " " << NameOf(c.unit) << " at " << c.position;
  }
}

TEST(TextUnits, MovesStopAtBothEnds) {
  struct Case {
    std::u16string text;
    TextUnit unit;
    std::size_t position;
    long long count;
    UnitMove move;
  };
  const Case cases[] = {
      {u"", kCharacter, 0, 1, {0, 0}},
      {u"", kWord, 0, -1, {0, 0}},
      {u"", kLine, 0, 1, {0, 0}},
      {u"", kPage, 0, -1, {0, 0}},
      {u"", kDocument, 0, 1, {0, 0}},
      {u"ab cd", kCharacter, 0, 9, {5, 5}},
      {u"ab cd", kCharacter, 99, -1, {4, -1}},
      {u"ab cd", kWord, 0, 1, {3, 1}},
      {u"ab cd", kWord, 0, 5, {5, 2}},
      {u"ab cd", kWord, 5, -9, {0, -2}},
      {u"ab cd", kWord, 4, -1, {3, -1}},  // from inside a word: to its start
      {u"ab cd", kLine, 2, 1, {5, 1}},
      {u"ab cd", kLine, 2, -1, {0, -1}},
      {u"ab cd", kLine, 0, -1, {0, 0}},
      {u"ab cd", kDocument, 2, 3, {5, 1}},
      {u"ab cd", kDocument, 5, 1, {5, 0}},
      {u"ab\r\ncd\r\n", kCharacter, 2, 1, {4, 1}},
      {u"ab\r\ncd\r\n", kCharacter, 4, -1, {2, -1}},
      {u"ab\r\ncd\r\n", kCharacter, 0, 100, {8, 6}},
      {u"ab\r\ncd\r\n", kWord, 0, 3, {6, 3}},
      {u"ab\r\ncd\r\n", kWord, 0, 9, {8, 4}},
      {u"ab\r\ncd\r\n", kWord, 8, -1, {6, -1}},
      {u"ab\r\ncd\r\n", kWord, 4, -1, {2, -1}},
      {u"ab\r\ncd\r\n", kLine, 0, 5, {8, 2}},
      {u"ab\r\ncd\r\n", kLine, 5, 1, {8, 1}},
      {u"ab\r\ncd\r\n", kLine, 8, -5, {0, -2}},
      {u"ab\r\ncd", kLine, 0, 5, {6, 2}},  // the end of a last line that has no break
      {u"a\rb", kCharacter, 0, 2, {2, 2}},
      {u"a\rb", kLine, 0, 1, {2, 1}},
      {u"x\U0001F600y", kCharacter, 3, -1, {1, -1}},
      {u"a1+=b  c", kWord, 0, 3, {7, 3}},
      {u"a1+=b  c", kWord, 7, -2, {2, -2}},
      {u"x\n" + std::u16string(10000, u'1'), kWord, 2, 9, {10002, 3}},
      {u"x\n" + std::u16string(10000, u'1'), kWord, 10002, -2, {4098, -2}},
      {u"a\nb\nc\nd\ne", kPage, 0, 10, {9, 3}},
      {u"a\nb\nc\nd\ne", kPage, 3, 1, {4, 1}},
      {u"a\nb\nc\nd\ne", kPage, 9, -1, {8, -1}},
      {u"a\nb\nc\nd\ne", kPage, 9, -10, {0, -3}},
  };
  for (const Case& c : cases) {
    const TextLines lines = LinesOf(c.text);
    EXPECT_EQ(MoveByUnits(lines, c.unit, c.position, c.count, 2), c.move)
        << Shown(c.text) << " " << NameOf(c.unit) << " from " << c.position << " by " << c.count;
  }
}

}  // namespace
