#include "convert/shared_conversion.h"

#include <cstring>
#include <system_error>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A moment's pause in a loop that waits for another thread.
void Pause() {
#if defined(__SSE2__)
  _mm_pause();
#endif
}

}  // namespace

SharedConversion::SharedConversion(std::size_t shareFrom)
    : shareFrom_(std::thread::hardware_concurrency() >= 2 ? shareFrom : 0) {}

SharedConversion::~SharedConversion() {
  if (!helper_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  Signal(jobWaiting_);
  helper_.join();
}

NumberLinesOutcome SharedConversion::Convert(std::u16string_view text, TextBuffer<char>& out) {
  // The second half starts after the first line end from the middle on.
  const std::size_t lineEnd = text.find(u'\n', text.size() / 2);
  if (shareFrom_ == 0 || text.size() < shareFrom_ || lineEnd == std::u16string_view::npos ||
      !StartHelper()) {
    return ConvertNumberLines(text, out);
  }
  const std::u16string_view first = text.substr(0, lineEnd + 1);
  job_ = text.substr(lineEnd + 1);
  Signal(jobWaiting_);
  NumberLinesOutcome outcome;
  std::exception_ptr error;
  try {
    outcome = ConvertNumberLines(first, out);
  } catch (...) {
    error = std::current_exception();
  }
  // The helper's half is waited for in every case: it reads the caller's text.
  AwaitAndClear(jobDone_);
  if (error) std::rethrow_exception(error);
  if (outcome.foreign || outcome.tooLong) {
    // The first half's outcome stands, except that a foreign character anywhere makes the
    // whole text foreign, as the one pass finds it after a line that is too long.
    if (outcome.tooLong && jobOutcome_.foreign) {
      outcome.tooLong = false;
      outcome.foreign = true;
    }
    return outcome;
  }
  if (jobError_) std::rethrow_exception(std::exchange(jobError_, nullptr));
  const std::string_view second = jobOut_.View();
  char* const put = out.Room(second.size());
  if (!second.empty()) std::memcpy(put, second.data(), second.size());
  out.Commit(put + second.size());
  outcome.numbers += jobOutcome_.numbers;
  outcome.foreign = jobOutcome_.foreign;
  outcome.tooLong = jobOutcome_.tooLong;
  return outcome;
}

bool SharedConversion::StartHelper() {
  if (helper_.joinable()) return true;
  try {
    helper_ = std::thread([this] { HelperLoop(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void SharedConversion::HelperLoop() {
  for (;;) {
    AwaitAndClear(jobWaiting_);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    jobOutcome_ = {};
    jobError_ = nullptr;
    try {
      jobOut_.Clear();
      jobOutcome_ = ConvertNumberLines(job_, jobOut_);
    } catch (...) {
      jobError_ = std::current_exception();
    }
    Signal(jobDone_);
  }
}

void SharedConversion::AwaitAndClear(std::atomic<bool>& flag) {
  const auto lookUntil = Clock::now() + kLookFor;
  // The clock is read now and then: the pauses are far shorter.
  for (unsigned k = 1; !flag.load(std::memory_order_acquire); ++k) {
    if (k % 64 == 0 && Clock::now() >= lookUntil) break;
    Pause();
  }
  if (!flag.load(std::memory_order_acquire)) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return flag.load(std::memory_order_acquire); });
  }
  flag.store(false, std::memory_order_relaxed);
}

void SharedConversion::Signal(std::atomic<bool>& flag) {
  {
    // Under the lock, so that a thread about to sleep on it cannot miss it.
    const std::lock_guard<std::mutex> lock(mutex_);
    flag.store(true, std::memory_order_release);
  }
  changed_.notify_all();
}
