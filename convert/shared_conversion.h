#pragma once
// The batch run's conversion of large texts on two threads: the caller's and a helper thread
// that lives as long as the conversion. A large text is cut at a line end near its middle;
// the helper converts the second half while the caller converts the first, and the outcome is
// the one ConvertNumberLines gives for the whole text.

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
  // Starts the helper unless it runs; false when no thread can be started.
  bool StartHelper();
  void HelperLoop();

  const std::size_t shareFrom_;
  std::thread helper_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // What the helper is handed and what it hands back, under mutex_.
  std::u16string_view job_;
  bool jobWaiting_ = false;
  bool jobDone_ = false;
  bool stop_ = false;
  NumberLinesOutcome jobOutcome_;
  std::exception_ptr jobError_;
  TextBuffer<char> jobOut_;  // the second half's characters
};
