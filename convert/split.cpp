#include "convert/split.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <exception>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "convert/binary.h"
#include "convert/block_scan.h"
#include "convert/two_threads.h"
#include "tuning/tuning.h"

void TrimTrailingLineBreaks(std::u16string_view& text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == u'\r' || text[end - 1] == u'\n')) --end;
  text = text.substr(0, end);
}

void TrimTrailingLineBreaks(std::u16string& text) {
  std::u16string_view trimmed = text;
  TrimTrailingLineBreaks(trimmed);
  text.resize(trimmed.size());
}

namespace {

// Splits the positions [from, to) of `text` into `lines`; `line` counts the LFs met.
template <class List>
void SplitRange(std::u16string_view text, std::size_t from, std::size_t to, List& lines,
                std::int64_t& line) {
  std::size_t i = from;
  while (i < to) {
    // A run of digits goes in at once.
    std::size_t run = i;
    while (run < to && text[run] != u'\r' && text[run] != u'\n') ++run;
    lines.AddChars(text.substr(i, run - i));
    if (run < to && text[run] == u'\n') {
      lines.CloseEntry();
      ++line;
    }
    i = run + 1;
  }
}

// Splits the positions [from, to) as SplitRange does, the whole text in ranges that follow
// each other.
template <class List>
struct PlainSplit {
  void operator()(std::u16string_view text, std::size_t from, std::size_t to, List& lines,
                  std::int64_t& line) const {
    SplitRange(text, from, to, lines, line);
  }
};

#if defined(__SSE2__)

// The same for a list of values, a block of characters at a time while the ranges keep to
// whole blocks. A line longer than kLongestLine or holding a lone CR goes through
// SplitRange, and so does everything from the line that the blocks do not reach.
class BlockwiseValueSplit {
 public:
  void operator()(std::u16string_view text, std::size_t from, std::size_t to, NumberValues& lines,
                  std::int64_t& line) {
    if (!plain_) {
      while (block_ + kBlock <= to && text.size() - block_ > kBlock) {
        SplitBlock(text, lines, line);
        block_ += kBlock;
      }
      if (block_ == to) return;
      plain_ = true;
      from = lineStart_;  // nothing of the line being collected is in the list yet
    }
    SplitRange(text, from, to, lines, line);
  }

 private:
  static constexpr auto kBlock = static_cast<std::size_t>(block_scan::kBlock);

  void SplitBlock(std::u16string_view text, NumberValues& lines, std::int64_t& line) {
    using namespace block_scan;
    const char16_t* const base = text.data();
    // Convert file data's logic on 200 MiB, native: 190 → 167 ms (4 runs each, in turn).
    AskAhead(text, block_);
    const BlockScan scan = ScanBlock(base + block_);
    if (scan.loneReturn) returnsBefore_ = block_ + kBlock;
    const Uint128 ones = Uint128{previousOnes_} << 64 | scan.onesLastFirst;
    previousOnes_ = scan.onesLastFirst;
    for (std::uint64_t feeds = scan.lineFeeds; feeds != 0; feeds &= feeds - 1) {
      const std::size_t lf = block_ + static_cast<std::size_t>(std::countr_zero(feeds));
      const char16_t* const digitsEnd = DigitsEnd(base + lineStart_, base + lf);
      const auto count = static_cast<std::size_t>(digitsEnd - (base + lineStart_));
      if (count > 0 && count <= kLongestLine && lineStart_ >= returnsBefore_) {
        lines.AddValue(ValueBefore(ones, base + block_, digitsEnd, count));
        ++line;
      } else {
        SplitRange(text, lineStart_, lf + 1, lines, line);
      }
      lineStart_ = lf + 1;
    }
  }

  std::size_t block_ = 0;          // the next block to look at
  std::size_t lineStart_ = 0;      // where the line being collected starts
  std::size_t returnsBefore_ = 0;  // lines that start before hold a lone CR or may
  std::uint64_t previousOnes_ = 0;
  bool plain_ = false;  // every range from here on goes through SplitRange
};

#endif

template <class List, class RangeSplit>
bool SplitInto(std::u16string_view& loadedText, List& numberList, std::int64_t& listLineCount,
               const SplitStep& step, std::int64_t stepEvery, RangeSplit splitRange) {
  TrimTrailingLineBreaks(loadedText);
  List lines;
  numberList = List();
  lines.Reserve(loadedText.size(), loadedText.size() / 16);
  std::int64_t line = 0;
  const auto length = static_cast<std::int64_t>(loadedText.size());
  const std::int64_t stride = step && stepEvery > 0 ? stepEvery : length;
  for (std::int64_t from = 0; from < length; from += stride) {
    const std::int64_t to = std::min(from + stride, length);
    splitRange(loadedText, static_cast<std::size_t>(from), static_cast<std::size_t>(to), lines,
               line);
    if (step && step(to - 1)) {
      listLineCount = line;
      return false;
    }
  }
  lines.CloseEntry();
  numberList = std::move(lines);
  listLineCount = numberList.Size();
  return true;
}

// The split into values of a text (trimmed) on this thread.
bool SplitValues(std::u16string_view text, NumberValues& numberList, std::int64_t& listLineCount,
                 const SplitStep& step, std::int64_t stepEvery) {
#if defined(__SSE2__)
  return SplitInto(text, numberList, listLineCount, step, stepEvery, BlockwiseValueSplit());
#else
  return SplitInto(text, numberList, listLineCount, step, stepEvery, PlainSplit<NumberValues>());
#endif
}

constexpr std::int64_t kEnded = std::numeric_limits<std::int64_t>::max();

// The split of a text's last part on a helper thread, which tells how far it got and keeps
// within tuning::kHelperLeadChars of the positions the calling thread has told it of.
class TailSplit {
 public:
  // Starts the split of `tail`; throws std::system_error when the system gives no thread.
  explicit TailSplit(std::u16string_view tail) : thread_([this, tail] { Run(tail); }) {}
  ~TailSplit() {
    Stop();
    if (thread_.joinable()) thread_.join();
  }
  TailSplit(const TailSplit&) = delete;
  TailSplit& operator=(const TailSplit&) = delete;

  // Positions of the tail examined so far; kEnded once its split has ended.
  std::int64_t Examined() const { return examined_.load(); }
  // Waits until Examined() is no longer `seen`.
  void AwaitPast(std::int64_t seen) const { examined_.wait(seen); }
  // The calling thread has examined `examined` positions of its own part.
  void Told(std::int64_t examined) { lead_.Tell(examined); }
  // Nothing holds the calling thread up any more: the helper needs no bound.
  void Unbound() { lead_.Release(); }
  void Stop() {
    stop_.store(true);
    lead_.Release();
  }
  // The tail's entries, once Examined() is kEnded; throws what its split threw.
  NumberValues Entries() {
    if (error_) std::rethrow_exception(error_);
    return std::move(entries_);
  }

 private:
  // Steps of the tail's split: often enough to answer a stop soon, seldom enough to cost
  // nothing (about 40 µs of splitting).
  static constexpr std::int64_t kStepEvery = std::int64_t{1} << 16;

  void Run(std::u16string_view tail) {
    try {
      std::int64_t count = 0;
      SplitValues(
          tail, entries_, count,
          [this](std::int64_t position) {
            examined_.store(position + 1);
            examined_.notify_one();
            lead_.AwaitWithin(position + 1);
            return stop_.load();
          },
          kStepEvery);
    } catch (...) {
      error_ = std::current_exception();  // std::bad_alloc, handed to the calling thread
    }
    examined_.store(kEnded);
    examined_.notify_one();
  }

  NumberValues entries_;
  std::exception_ptr error_;
  std::atomic<std::int64_t> examined_{0};
  Lead lead_{tuning::kHelperLeadChars};
  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: it starts once everything else is there
};

// The split of a text (trimmed) in two parts side by side: the part up to the line that
// `cut` starts on this thread, the rest on a helper; the two lists are joined without a copy.
// `step` runs with the positions examined in both parts, less one. Convert file data's split of
// 200 MiB under wine: 120 to 183 ms on one thread, 78 to 86 ms on two (single runs,
// 2026-12-08); the first touches of the values' 23 MB of new memory are shared too.
bool SplitValuesOnTwoThreads(std::u16string_view text, std::size_t cut, NumberValues& numberList,
                             std::int64_t& listLineCount, const SplitStep& step,
                             std::int64_t stepEvery) {
  std::optional<TailSplit> tail;
  try {
    tail.emplace(text.substr(cut));
  } catch (const std::system_error&) {
    return SplitValues(text, numberList, listLineCount, step, stepEvery);
  }
  const auto examinedInTail = [&] {
    const std::int64_t examined = tail->Examined();
    return examined == kEnded ? static_cast<std::int64_t>(text.size() - cut) : examined;
  };
  numberList = NumberValues();
  NumberValues head;
  SplitStep headStep;
  if (step) {
    headStep = [&](std::int64_t position) {
      tail->Told(position + 1);
      return step(position + examinedInTail());
    };
  } else {
    tail->Unbound();  // no steps hold this thread up
  }
  if (!SplitValues(text.substr(0, cut), head, listLineCount, headStep, stepEvery)) return false;
  tail->Unbound();
  // The tail's split ends, stepped through as it goes.
  for (std::int64_t seen = 0; (seen = tail->Examined()) != kEnded; tail->AwaitPast(seen)) {
    if (step && step(static_cast<std::int64_t>(cut) + seen - 1)) {
      listLineCount = head.Size();
      return false;
    }
  }
  head.Join(tail->Entries());
  if (step && step(static_cast<std::int64_t>(text.size()) - 1)) {
    listLineCount = head.Size();
    return false;
  }
  numberList = std::move(head);
  listLineCount = numberList.Size();
  return true;
}

}  // namespace

bool SplitIntoNumberList(std::u16string_view& loadedText, NumberValues& numberList,
                         std::int64_t& listLineCount, const SplitStep& step, std::int64_t stepEvery,
                         std::size_t twoThreadsFrom) {
  TrimTrailingLineBreaks(loadedText);
  if (loadedText.size() >= twoThreadsFrom) {
    const std::size_t lineFeed = loadedText.find(u'\n', loadedText.size() / 2);
    if (lineFeed != std::u16string_view::npos) {
      return SplitValuesOnTwoThreads(loadedText, lineFeed + 1, numberList, listLineCount, step,
                                     stepEvery);
    }
  }
  return SplitValues(loadedText, numberList, listLineCount, step, stepEvery);
}

bool SplitIntoNumberList(std::u16string& loadedText, NumberValues& numberList,
                         std::int64_t& listLineCount, const SplitStep& step, std::int64_t stepEvery,
                         std::size_t twoThreadsFrom) {
  TrimTrailingLineBreaks(loadedText);
  std::u16string_view text = loadedText;
  return SplitIntoNumberList(text, numberList, listLineCount, step, stepEvery, twoThreadsFrom);
}
