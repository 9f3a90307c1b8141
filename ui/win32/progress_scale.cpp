#include "ui/win32/progress_scale.h"

#include <limits>

namespace {
constexpr std::int64_t kBarMax = std::numeric_limits<std::int32_t>::max();
}

int ProgressShiftFor(std::int64_t max) {
  int shift = 0;
  while ((max >> shift) > kBarMax) ++shift;
  return shift;
}

std::int32_t ScaleProgressValue(std::int64_t value, int shift) {
  if (value <= 0) return 0;
  const std::int64_t scaled = value >> shift;
  return static_cast<std::int32_t>(scaled > kBarMax ? kBarMax : scaled);
}
