#pragma once
// A lock shared by every process of the current user that names the same key: batch runs on
// one hand-off folder take turns with it.

#include <chrono>
#include <cstdint>
#include <string>

class RunLock {
 public:
  // Waits up to `timeout` for the lock named by `key` (a path; letter case is ignored);
  // Held() tells whether it was taken. Released when the object goes.
  RunLock(const std::u16string& key, std::chrono::milliseconds timeout);
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  bool Held() const { return held_; }

 private:
  std::intptr_t handle_ = -1;
  bool held_ = false;
};

// A short name for `key`: 16 hexadecimal digits of a hash of its letters, case ignored.
std::string RunLockName(const std::u16string& key);
