// The front end's helpers that need no window system: progress scaling.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

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

}  // namespace
