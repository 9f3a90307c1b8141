#pragma once
// Work cut into parts that the calling thread and a helper thread do side by side.

#include <atomic>
#include <cstdint>
#include <functional>
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

// Runs `work` once for every part in [0, count), on the calling thread and, `withHelper`, a
// helper thread, each taking the next part in turn; `work` must not throw. The calling thread runs
// `between` once for each part done, with the number done so far (1, 2, ... count), as soon as it
// knows of it: after each part of its own, and for the helper's last ones when both are done. Once
// `between` returns true no part is begun any more. Returns when both threads are done: false
// when `between` stopped the run. When the system gives no thread, the calling thread does
// every part alone.
bool DoParts(std::int64_t count, bool withHelper,
             const std::function<void(std::int64_t part)>& work,
             const std::function<bool(std::int64_t done)>& between);
