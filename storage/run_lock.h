#pragma once
// A lock that every process using the same working folders shares, in any session and on any
// machine that reaches them: batch runs on one hand-off folder take turns with it.

#include <chrono>
#include <optional>
#include <string>

#include "storage/platform.h"

class RunLock {
 public:
  // Waits up to `timeout` for the lock file at `path` (RunLockFileOf); Held() tells whether it
  // was taken. Released when the object goes, and by the system when the process ends.
  RunLock(const std::u16string& path, std::chrono::milliseconds timeout);

  bool Held() const { return file_.has_value(); }

 private:
  std::optional<platform::NativeFile> file_;
};
