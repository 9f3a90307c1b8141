#pragma once
// The progress display of an interactive file conversion: bar, percentage text, and the
// message pump through which Cancel is clicked.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "tuning/tuning.h"
#include "ui/window_services.h"

// Percentage of pos in max, divided first in double precision, truncated toward zero.
int ProgressPercent(std::int64_t pos, std::int64_t max);

// "進捗率　" + percentage + " %".
std::u16string ProgressText(int percent);

// Where a run's progress display reads the time: the steady clock unless tests give another.
using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;

class ProgressDisplay {
 public:
  // `cancelFlag` is set by the Cancel handler from inside the pump. Without throttling every
  // step pumps and updates the display; with it, the pump runs about every 20 ms and the
  // display, when its percentage changed, at most about 30 times a second.
  ProgressDisplay(WindowServices& window, const std::int32_t& cancelFlag, bool throttle,
                  ProgressClock clock = {});

  // One step of the run at `pos` of `max`; true when the run has been cancelled. A percentage
  // text that memory does not allow is left out (the bar still moves).
  bool Step(std::int64_t pos, std::int64_t max);
  // How many units of work may pass between two calls of Step: every one without
  // throttling; with it, a run of units that takes far less than the pump interval.
  std::int64_t Stride() const { return throttle_ ? tuning::kProgressStride : 1; }
  // A step that is always shown (the closing steps), pumped as the other steps are: with
  // throttling only when the pump interval has passed, so a run shorter than that takes no
  // clicks at all.
  bool StepAlwaysShown(std::int64_t pos, std::int64_t max);

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point Now() const { return clock_ ? clock_() : Clock::now(); }
  void Pump();
  void Show(std::int64_t pos, int percent);

  WindowServices& window_;
  const std::int32_t& cancelFlag_;
  const bool throttle_;
  const ProgressClock clock_;
  int shownPercent_ = -1;
  std::uint32_t stepsSinceClock_ = 0;
  Clock::time_point lastPump_;
  Clock::time_point lastShow_;
};
