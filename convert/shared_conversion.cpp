#include "convert/shared_conversion.h"

#include <cstring>
#include <system_error>
#include <utility>

SharedConversion::SharedConversion(std::size_t shareFrom)
    : shareFrom_(std::thread::hardware_concurrency() >= 2 ? shareFrom : 0) {}

SharedConversion::~SharedConversion() {
  if (!helper_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
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
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    job_ = text.substr(lineEnd + 1);
    jobWaiting_ = true;
    jobDone_ = false;
  }
  changed_.notify_all();
  NumberLinesOutcome outcome;
  std::exception_ptr error;
  try {
    outcome = ConvertNumberLines(first, out);
  } catch (...) {
    error = std::current_exception();
  }
  // The helper's half is waited for in every case: it reads the caller's text.
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return jobDone_; });
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
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return jobWaiting_ || stop_; });
    if (stop_) return;
    jobWaiting_ = false;
    const std::u16string_view text = job_;
    lock.unlock();
    NumberLinesOutcome outcome;
    std::exception_ptr error;
    try {
      jobOut_.Clear();
      outcome = ConvertNumberLines(text, jobOut_);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    jobOutcome_ = outcome;
    jobError_ = error;
    jobDone_ = true;
    changed_.notify_all();
  }
}
