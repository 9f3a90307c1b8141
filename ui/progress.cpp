#include "ui/progress.h"

#include <new>
#include <utility>

#include "convert/binary.h"
#include "res/resource.h"
#include "tuning/tuning.h"
#include "ui/messages.h"

int ProgressPercent(std::int64_t pos, std::int64_t max) {
  if (max <= 0) return 0;
  return static_cast<int>(static_cast<double>(pos) / static_cast<double>(max) * 100.0);
}

std::u16string ProgressText(int percent) {
  std::u16string text(kProgressPrefix);
  if (percent < 0) {
    text.push_back(u'-');
    percent = -percent;
  }
  AppendDecimal(text, static_cast<std::uint32_t>(percent));
  text += u" %";
  return text;
}

ProgressDisplay::ProgressDisplay(WindowServices& window, const std::int32_t& cancelFlag,
                                 bool throttle, ProgressClock clock)
    : window_(window),
      cancelFlag_(cancelFlag),
      throttle_(throttle),
      clock_(std::move(clock)),
      lastPump_(Now()),
      lastShow_(lastPump_) {}

void ProgressDisplay::Pump() { window_.PumpMessages(); }

void ProgressDisplay::Show(std::int64_t pos, int percent) {
  window_.SetProgressPos(IDC_PROGRESS, pos);
  // Without memory for the percentage the bar alone shows the step: the run goes on, and its
  // results once placed stay.
  try {
    window_.SetText(IDC_EDIT_PROGRESS, BlankText);
    window_.SetText(IDC_EDIT_PROGRESS, ProgressText(percent));
    shownPercent_ = percent;
  } catch (const std::bad_alloc&) {
  }
}

bool ProgressDisplay::Step(std::int64_t pos, std::int64_t max) {
  if (!throttle_) return StepAlwaysShown(pos, max);
  if (++stepsSinceClock_ < tuning::kStepsPerClockCheck) return false;
  stepsSinceClock_ = 0;
  const auto now = Now();
  // Every pump costs a repaint of what changed: often enough for Cancel, no more.
  if (now - lastPump_ < tuning::kPumpInterval) return false;
  Pump();
  lastPump_ = now;
  const int percent = ProgressPercent(pos, max);
  if (percent != shownPercent_ && now - lastShow_ >= tuning::kShowInterval) {
    Show(pos, percent);
    lastShow_ = now;
  }
  return cancelFlag_ == 1;
}

bool ProgressDisplay::StepAlwaysShown(std::int64_t pos, std::int64_t max) {
  const auto now = Now();
  if (!throttle_ || now - lastPump_ >= tuning::kPumpInterval) {
    Pump();
    lastPump_ = now;
  }
  Show(pos, ProgressPercent(pos, max));
  lastShow_ = now;
  return cancelFlag_ == 1;
}
