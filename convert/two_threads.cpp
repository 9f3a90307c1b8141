#include "convert/two_threads.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "tuning/tuning.h"

namespace {

// The parts still to begin, handed out one at a time to whichever thread asks.
class Parts {
 public:
  explicit Parts(std::int64_t count) : count_(count) {}
  // The next part to do; false once every part is taken or the run stopped.
  bool Take(std::int64_t& part) {
    if (stopped_.load(std::memory_order_relaxed)) return false;
    part = next_.fetch_add(1, std::memory_order_relaxed);
    return part < count_;
  }
  // The same for the helper, which first keeps within kHelperLeadParts of the parts the
  // calling thread has told of.
  bool TakeAsHelper(std::int64_t& part) {
    lead_.AwaitWithin(next_.load(std::memory_order_relaxed));
    return Take(part);
  }
  std::int64_t Done() { return done_.fetch_add(1) + 1; }
  // The calling thread has told of `told` parts done.
  void Told(std::int64_t told) { lead_.Tell(told); }
  void Stop() {
    stopped_.store(true);
    lead_.Release();  // a waiting helper wakes and sees the stop
  }

 private:
  const std::int64_t count_;
  std::atomic<std::int64_t> next_{0};
  std::atomic<std::int64_t> done_{0};
  Lead lead_{tuning::kHelperLeadParts};
  std::atomic<bool> stopped_{false};
};

// The helper thread; however the calling thread leaves, no part is begun after and the helper
// has ended.
class Helper {
 public:
  Helper(Parts& parts, bool start, const std::function<void(std::int64_t)>& work) : parts_(parts) {
    if (!start) return;
    try {
      thread_ = std::thread([&parts, &work] {
        for (std::int64_t part = 0; parts.TakeAsHelper(part);) {
          work(part);
          parts.Done();
        }
      });
    } catch (const std::system_error&) {
      // No thread to be had: the calling thread does every part.
    }
  }
  ~Helper() {
    parts_.Stop();
    if (thread_.joinable()) thread_.join();
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

 private:
  Parts& parts_;
  std::thread thread_;
};

}  // namespace

bool DoParts(std::int64_t count, bool withHelper,
             const std::function<void(std::int64_t part)>& work,
             const std::function<bool(std::int64_t done)>& between) {
  Parts parts(count);
  std::int64_t told = 0;
  const auto tell = [&](std::int64_t done) {
    while (told < done) {
      if (between(++told)) return true;
    }
    parts.Told(told);
    return false;
  };
  {
    const Helper helper(parts, withHelper, work);
    for (std::int64_t part = 0; parts.Take(part);) {
      work(part);
      if (tell(parts.Done())) return false;
    }
  }  // the helper has ended: every part is done
  return !tell(count);
}
