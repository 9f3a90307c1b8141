#include "storage/run_lock.h"

#include <thread>
#include <utility>

#include "tuning/tuning.h"

RunLock::RunLock(const std::u16string& path, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    bool busy = false;
    if (auto file = platform::NativeFile::OpenAsLock(path, busy)) {
      file_.emplace(std::move(*file));
      return;
    }
    // Only another holder is worth waiting for; a lock file that cannot be made never comes.
    if (!busy || std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(tuning::kLockPollPause);
  }
}
