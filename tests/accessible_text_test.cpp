// How much of a view's text its accessible value and text ranges hand out at most.
#include "ui/win32/text_view/accessible_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::size_t kBound = tuning::kAccessibleTextChars;

// `size` digits with `mark` written at `at` (nothing when `mark` is empty).
std::u16string Text(std::size_t size, std::size_t at = 0, const std::u16string& mark = u"") {
  std::u16string text(size, u'1');
  text.replace(at, mark.size(), mark);
  return text;
}

TEST(AccessibleTextTest, LongTextsEndAtTheFirstLineEndPastTheBound) {
  struct Case {
    const char* what;
    std::u16string text;
    std::size_t start;
    std::size_t expected;
  };
  const Case cases[] = {
      {"empty", u"", 0, 0},
      {"short", u"101\r\n11", 0, 7},
      {"exactly the bound", Text(kBound), 0, kBound},
      {"CR LF after the bound", Text(kBound + 10, kBound + 5, u"\r\n"), 0, kBound + 5},
      {"CR at the bound", Text(kBound + 10, kBound, u"\r"), 0, kBound},
      {"LF after the bound", Text(kBound + 10, kBound + 3, u"\n"), 0, kBound + 3},
      {"CR LF across the bound", Text(kBound + 10, kBound - 1, u"\r\n"), 0, kBound - 1},
      {"no line end, short of twice", Text(kBound + kBound / 2), 0, kBound + kBound / 2},
      {"no line end", Text(3 * kBound), 0, 2 * kBound},
      {"no line end, a pair at the cut", Text(3 * kBound, 2 * kBound - 1, u"\xD83D\xDE00"), 0,
       2 * kBound - 1},
      {"line end before the bound only", Text(3 * kBound, 10, u"\r\n"), 0, 2 * kBound},
      {"from a later start", Text(kBound + 20, kBound + 12, u"\n"), 10, kBound + 12},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AccessibleTextEnd(c.text, c.start, c.text.size()), c.expected) << c.what;
    TextLines lines;
    lines.Assign(std::u16string(c.text));
    std::u16string scratch;
    EXPECT_EQ(AccessibleText(lines, c.start, c.text.size(), scratch),
              c.text.substr(c.start, c.expected - c.start))
        << c.what;
  }
}

TEST(AccessibleTextTest, APartOfALongTextEndsWhereAsked) {
  const std::u16string text = Text(3 * kBound);
  EXPECT_EQ(AccessibleTextEnd(text, 5, 100), 100u);
  EXPECT_EQ(AccessibleTextEnd(text, kBound, kBound + kBound / 2), kBound + kBound / 2);
}

}  // namespace
