#pragma once
// The batch run's conversion of large texts on two threads: the caller's and a helper thread
// that lives as long as the conversion. A large text is cut at line ends into chunks, which
// both threads take one at a time, in order, until none is left; the outcome is the one
// ConvertNumberLines gives for the whole text. The caller never waits for the helper to
// start: when it is slow to wake, the caller converts every chunk itself.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "convert/number_lines.h"
#include "convert/text_buffer.h"
#include "tuning/tuning.h"

// Two threads: the 200 MiB pipeline 97 → 79 ms on an idle machine (bench/compare.sh, 2026-12-07).
class SharedConversion {
 public:
  // Shares texts of at least `shareFrom` characters in chunks of `chunkChars`, when the
  // processor runs two threads at once; the helper thread starts with the first such text.
  // Converted lines end with `lineEnd`.
  explicit SharedConversion(std::size_t shareFrom = tuning::kShareFromChars,
                            std::size_t chunkChars = tuning::kChunkChars,
                            LineEnd lineEnd = LineEnd::kCrLf);
  ~SharedConversion();
  SharedConversion(const SharedConversion&) = delete;
  SharedConversion& operator=(const SharedConversion&) = delete;

  // As ConvertNumberLines(text, out, lineEnd), with the same outcome and the same characters
  // appended to `out`. When the text is shared, the helper first runs `alongside` (work that would
  // otherwise wait for the conversion, such as reading what comes next) if it wakes before the
  // caller has converted every chunk: it runs at most once, and has ended when Convert
  // returns. The caller runs `meanwhile` once, before it converts: for a shared text once the
  // helper may start, so that the two run at once. `alongside` must not throw; what
  // `meanwhile` throws is thrown on. Throws std::bad_alloc when memory runs out.
  NumberLinesOutcome Convert(std::u16string_view text, TextBuffer<char>& out,
                             const std::function<void()>& alongside = {},
                             const std::function<void()>& meanwhile = {});
  // As Convert(Widened(bytes), out, alongside, meanwhile), for bytes that stand one for one
  // for UTF-16 units (ASCII), without widening them.
  NumberLinesOutcome Convert(std::string_view bytes, TextBuffer<char>& out,
                             const std::function<void()>& alongside = {},
                             const std::function<void()>& meanwhile = {});

 private:
  using Clock = std::chrono::steady_clock;

  // On cache lines of its own: each thread writes its chunk's end at every block. Chunks of
  // 32 Ki characters on lines of their own took the pipeline on 200 MiB (both threads, no
  // writing) to 43 ms from 54 with chunks of 8 Ki on shared lines; not timed apart at 32 Ki.
  struct alignas(64) Chunk {
    std::u16string_view text;  // of a text of UTF-16 units, else empty
    std::string_view bytes;    // of a text of bytes, else empty
    TextBuffer<char> out;      // kept from text to text
    NumberLinesOutcome outcome;
    std::exception_ptr error;
  };

  // Converts `text` on both threads.
  template <class Char>
  NumberLinesOutcome Share(std::basic_string_view<Char> text, TextBuffer<char>& out,
                           const std::function<void()>& alongside,
                           const std::function<void()>& meanwhile);
  // Cuts `text` into chunks_ and returns how many.
  template <class Char>
  std::size_t CutIntoChunks(std::basic_string_view<Char> text);
  // Converts chunks of the current text until none is left to take.
  void ConvertChunks();
  // The index of the next chunk to convert, counted as being converted; nullopt when none
  // is left.
  std::optional<std::size_t> TakeChunk();
  // Counts the chunk taken last by this thread as converted.
  void FinishChunk();
  // Adds the chunks' characters to `out` in order and gives their joint outcome.
  NumberLinesOutcome JoinChunks(std::size_t count, TextBuffer<char>& out);
  // Starts the helper unless it runs; false when no thread can be started.
  bool StartHelper();
  void HelperLoop();
  // Waits until `ready` holds, looking for a while before it sleeps on changed_.
  template <class Ready>
  void Await(Ready ready);
  // Runs `change` under mutex_ and wakes the threads sleeping on changed_.
  template <class Change>
  void Announce(Change change);

  const std::size_t shareFrom_;
  const std::size_t chunkChars_;
  const LineEnd lineEnd_;
  std::vector<Chunk> chunks_;
  std::thread helper_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // Under mutex_: the chunks of the current text and the next one to take.
  std::size_t chunkCount_ = 0;
  std::size_t nextChunk_ = 0;
  const std::function<void()>* alongside_ = nullptr;  // for the helper to run, until it does
  // Changed under mutex_, read without it while a thread looks before it sleeps.
  std::atomic<std::size_t> converting_{0};
  std::atomic<bool> textWaiting_{false};  // a new text has chunks for the helper
  std::atomic<bool> stop_{false};         // the helper is to end
};
