#include "convert/shared_conversion.h"

#include <cstring>
#include <exception>
#include <system_error>
#include <type_traits>
#include <utility>

SharedConversion::SharedConversion(std::size_t shareFrom, std::size_t chunkChars, LineEnd lineEnd)
    : shareFrom_(std::thread::hardware_concurrency() >= 2 ? shareFrom : 0),
      chunkChars_(chunkChars > 0 ? chunkChars : 1),
      lineEnd_(lineEnd) {}

SharedConversion::~SharedConversion() {
  if (!helper_.joinable()) return;
  Announce([this] { stop_.store(true); });
  helper_.join();
}

NumberLinesOutcome SharedConversion::Convert(std::u16string_view text, TextBuffer<char>& out,
                                             const std::function<void()>& alongside,
                                             const std::function<void()>& meanwhile) {
  if (shareFrom_ == 0 || text.size() < shareFrom_ || !StartHelper()) {
    if (meanwhile) meanwhile();
    return ConvertNumberLines(text, out, lineEnd_);
  }
  return Share(text, out, alongside, meanwhile);
}

NumberLinesOutcome SharedConversion::Convert(std::string_view bytes, TextBuffer<char>& out,
                                             const std::function<void()>& alongside,
                                             const std::function<void()>& meanwhile) {
  if (shareFrom_ == 0 || bytes.size() < shareFrom_ || !StartHelper()) {
    if (meanwhile) meanwhile();
    return ConvertNumberLines(bytes, out, lineEnd_);
  }
  return Share(bytes, out, alongside, meanwhile);
}

template <class Char>
NumberLinesOutcome SharedConversion::Share(std::basic_string_view<Char> text, TextBuffer<char>& out,
                                           const std::function<void()>& alongside,
                                           const std::function<void()>& meanwhile) {
  const std::size_t count = CutIntoChunks(text);
  Announce([&] {
    chunkCount_ = count;
    nextChunk_ = 0;
    alongside_ = alongside ? &alongside : nullptr;
    textWaiting_.store(true, std::memory_order_release);
  });
  // The caller's own work is thrown only once the helper is done with the text.
  std::exception_ptr meanwhileError;
  try {
    if (meanwhile) meanwhile();
  } catch (...) {
    meanwhileError = std::current_exception();
  }
  ConvertChunks();
  {
    // A helper that has not taken the work by now never will.
    const std::lock_guard<std::mutex> lock(mutex_);
    alongside_ = nullptr;
  }
  // The work and the chunks the helper took are waited for: they use the caller's memory.
  Await([this] { return converting_.load(std::memory_order_acquire) == 0; });
  if (meanwhileError) std::rethrow_exception(meanwhileError);
  return JoinChunks(count, out);
}

template <class Char>
std::size_t SharedConversion::CutIntoChunks(std::basic_string_view<Char> text) {
  std::size_t count = 0;
  for (std::size_t start = 0; start < text.size(); ++count) {
    std::size_t end = text.size();
    if (text.size() - start > chunkChars_) {
      const std::size_t lineEnd = text.find(Char{'\n'}, start + chunkChars_);
      if (lineEnd != std::basic_string_view<Char>::npos) end = lineEnd + 1;
    }
    if (chunks_.size() == count) chunks_.emplace_back();
    Chunk& chunk = chunks_[count];
    if constexpr (std::is_same_v<Char, char>) {
      chunk.bytes = text.substr(start, end - start);
      chunk.text = {};
    } else {
      chunk.text = text.substr(start, end - start);
      chunk.bytes = {};
    }
    start = end;
  }
  return count;
}

void SharedConversion::ConvertChunks() {
  while (const std::optional<std::size_t> index = TakeChunk()) {
    Chunk& chunk = chunks_[*index];
    chunk.outcome = {};
    chunk.error = nullptr;
    try {
      chunk.out.Clear();
      chunk.outcome = chunk.bytes.empty() ? ConvertNumberLines(chunk.text, chunk.out, lineEnd_)
                                          : ConvertNumberLines(chunk.bytes, chunk.out, lineEnd_);
    } catch (...) {
      chunk.error = std::current_exception();
    }
    FinishChunk();
  }
}

std::optional<std::size_t> SharedConversion::TakeChunk() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (nextChunk_ >= chunkCount_) return std::nullopt;
  converting_.fetch_add(1, std::memory_order_relaxed);
  return nextChunk_++;
}

void SharedConversion::FinishChunk() {
  Announce([this] { converting_.fetch_sub(1, std::memory_order_release); });
}

NumberLinesOutcome SharedConversion::JoinChunks(std::size_t count, TextBuffer<char>& out) {
  NumberLinesOutcome outcome;
  for (std::size_t k = 0; k < count; ++k) {
    if (chunks_[k].error) std::rethrow_exception(chunks_[k].error);
  }
  for (std::size_t k = 0; k < count; ++k) {
    const Chunk& chunk = chunks_[k];
    // A foreign character anywhere refuses the whole text, even after a line that is too
    // long, as the one pass finds it.
    outcome.foreign = outcome.foreign || chunk.outcome.foreign;
    outcome.lineFeeds += chunk.outcome.lineFeeds;
    if (outcome.tooLong) continue;
    const std::string_view converted = chunk.out.View();
    char* const put = out.Room(converted.size());
    if (!converted.empty()) std::memcpy(put, converted.data(), converted.size());
    out.Commit(put + converted.size());
    outcome.numbers += chunk.outcome.numbers;
    outcome.tooLong = chunk.outcome.tooLong;
  }
  if (outcome.foreign) outcome.tooLong = false;
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
    // Looking for the end too: else it would come only once the looking is over (2 ms).
    Await([this] { return textWaiting_.load(std::memory_order_acquire) || stop_.load(); });
    const std::function<void()>* alongside = nullptr;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (stop_.load()) return;
      textWaiting_.store(false, std::memory_order_relaxed);
      alongside = std::exchange(alongside_, nullptr);
      // Counted as a chunk being converted, so that the caller waits for it.
      if (alongside != nullptr) converting_.fetch_add(1, std::memory_order_relaxed);
    }
    if (alongside != nullptr) {
      (*alongside)();
      FinishChunk();
    }
    ConvertChunks();
  }
}

template <class Ready>
void SharedConversion::Await(Ready ready) {
  const auto lookUntil = Clock::now() + tuning::kLookBeforeSleep;
  // Giving way between looks: the other thread may be waiting for this processor. The clock is
  // read now and then.
  for (unsigned k = 1; !ready(); ++k) {
    if (k % 64 == 0 && Clock::now() >= lookUntil) break;
    std::this_thread::yield();
  }
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return stop_.load() || ready(); });
}

template <class Change>
void SharedConversion::Announce(Change change) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    change();
  }
  changed_.notify_all();
}
