// The front end's helpers that need no window system: progress scaling and file filters.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "ui/win32/file_filter.h"
#include "ui/win32/progress_scale.h"

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

TEST(ProgressScale, RangesThatFitAreNotScaled) {
  for (std::int64_t max : {std::int64_t{0}, std::int64_t{18}, std::int64_t{65536}, kInt32Max}) {
    EXPECT_EQ(ProgressShiftFor(max), 0) << max;
    EXPECT_EQ(ScaleProgressValue(max, 0), max) << max;
  }
  EXPECT_EQ(ProgressShiftFor(-5), 0);
}

TEST(ProgressScale, LargeRangesAreHalvedUntilTheyFit) {
  struct Case {
    std::int64_t max;
    int shift;
  };
  for (const Case& c : {Case{kInt32Max + 1, 1}, Case{2 * kInt32Max + 1, 1},
                        Case{2 * kInt32Max + 2, 2}, Case{kInt64Max, 32}}) {
    const int shift = ProgressShiftFor(c.max);
    EXPECT_EQ(shift, c.shift) << c.max;
    EXPECT_LE(ScaleProgressValue(c.max, shift), kInt32Max) << c.max;
    EXPECT_GT(ScaleProgressValue(c.max, shift), kInt32Max / 2) << c.max;
  }
}

TEST(ProgressScale, PositionsKeepTheirShareOfTheBar) {
  const std::int64_t max = 6 * kInt32Max;  // needs a shift of 3
  const int shift = ProgressShiftFor(max);
  ASSERT_EQ(shift, 3);
  const auto bar = static_cast<double>(ScaleProgressValue(max, shift));
  for (const std::int64_t pos : {max / 4, max / 2, max - 1}) {
    EXPECT_NEAR(ScaleProgressValue(pos, shift) / bar, static_cast<double>(pos) / max, 1e-6);
  }
  EXPECT_EQ(ScaleProgressValue(max + 1, shift), ScaleProgressValue(max, shift));
}

TEST(ProgressScale, OutOfRangePositionsAreClamped) {
  EXPECT_EQ(ScaleProgressValue(-1, 0), 0);
  EXPECT_EQ(ScaleProgressValue(std::numeric_limits<std::int64_t>::min(), 4), 0);
  EXPECT_EQ(ScaleProgressValue(kInt64Max, 0), kInt32Max);
  EXPECT_EQ(ScaleProgressValue(kInt32Max + 1, 0), kInt32Max);
}

TEST(FileFilter, SplitsNamesAndPatterns) {
  struct Case {
    std::u16string filter;
    std::vector<FileTypeFilter> expected;
  };
  const Case cases[] = {
      {u"全て(*.*)|*.*||", {{u"全て(*.*)", u"*.*"}}},
      {u"Text|*.txt|All|*.*||", {{u"Text", u"*.txt"}, {u"All", u"*.*"}}},
      {u"Text|*.txt", {{u"Text", u"*.txt"}}},             // without the closing bars
      {u"Text|*.txt||All|*.*||", {{u"Text", u"*.txt"}}},  // nothing after the end
      {u"Text|", {}},                                     // a name without a pattern
      {u"Text|*.txt|Orphan||", {{u"Text", u"*.txt"}}},
      {u"", {}},
      {u"||", {}},
  };
  for (const Case& c : cases) {
    const std::vector<FileTypeFilter> parsed = ParseFileFilter(c.filter);
    ASSERT_EQ(parsed.size(), c.expected.size());
    for (std::size_t i = 0; i < parsed.size(); ++i) {
      EXPECT_EQ(parsed[i].name, c.expected[i].name);
      EXPECT_EQ(parsed[i].pattern, c.expected[i].pattern);
    }
  }
}

}  // namespace
