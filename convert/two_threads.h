#pragma once
// A helper thread that shares a piece of work with the calling thread, kept in step with it.

#include <atomic>
#include <cstdint>
#include <limits>

// How far a helper thread may run ahead of the calling thread, which tells it how far it has got:
// while the calling thread is held elsewhere (a message box of the pump), the helper waits
// instead of taking the rest of the work and its processor.
class Lead {
 public:
  explicit Lead(std::int64_t lead) : lead_(lead) {}
  // The calling thread has got to `told`.
  void Tell(std::int64_t told) {
    told_.store(told);
    told_.notify_one();
  }
  // Lets the helper run on without a bound from now on (to its end, or to see a stop).
  void Release() { Tell(kReleased); }
  // On the helper: waits until `at` lies less than the lead beyond what the calling thread told.
  void AwaitWithin(std::int64_t at) const {
    for (std::int64_t told = told_.load(); at - lead_ >= told; told = told_.load()) {
      told_.wait(told);
    }
  }

 private:
  static constexpr std::int64_t kReleased = std::numeric_limits<std::int64_t>::max();

  const std::int64_t lead_;
  std::atomic<std::int64_t> told_{0};
};
