#pragma once
// The batch run's conversion of large texts on two threads: the caller's and a helper thread
// that lives as long as the conversion. A large text is cut at a line end near its middle;
// the helper converts the second half while the caller converts the first, and the outcome is
// the one ConvertNumberLines gives for the whole text.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string_view>
#include <thread>

#include "convert/number_lines.h"
#include "convert/text_buffer.h"

class SharedConversion {
 public:
  // Texts of this many characters and more are shared by default: the halves take far longer
  // to convert than handing one over to the helper.
  static constexpr std::size_t kShareFrom = std::size_t{1} << 16;

  // Shares texts of at least `shareFrom` characters, when the processor runs two threads at
  // once; the helper thread starts with the first such text.
  explicit SharedConversion(std::size_t shareFrom = kShareFrom);
  ~SharedConversion();
  SharedConversion(const SharedConversion&) = delete;
  SharedConversion& operator=(const SharedConversion&) = delete;

  // As ConvertNumberLines(text, out), with the same outcome and the same characters appended
  // to `out`. Throws std::bad_alloc when memory runs out.
  NumberLinesOutcome Convert(std::u16string_view text, TextBuffer<char>& out);

 private:
  using Clock = std::chrono::steady_clock;
  // How long a thread that waits for the other keeps looking before it sleeps: waking a
  // sleeping thread can take far longer than converting a few lines.
  static constexpr auto kLookFor = std::chrono::milliseconds(2);

  // Starts the helper unless it runs; false when no thread can be started.
  bool StartHelper();
  void HelperLoop();
  // Waits until `flag` is set (and clears it), looking for a while before it sleeps.
  void AwaitAndClear(std::atomic<bool>& flag);
  // Sets `flag` and wakes the thread that sleeps on it.
  void Signal(std::atomic<bool>& flag);

  const std::size_t shareFrom_;
  std::thread helper_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> jobWaiting_{false};  // set by the caller, taken by the helper
  std::atomic<bool> jobDone_{false};     // set by the helper, taken by the caller
  // The job and its outcome; each side touches them only while the flags give it its turn.
  std::u16string_view job_;
  bool stop_ = false;
  NumberLinesOutcome jobOutcome_;
  std::exception_ptr jobError_;
  TextBuffer<char> jobOut_;  // the second half's characters
};
