#pragma once
// A file pushed to the disk on a thread of its own while more of it is written, so that the
// last flush, before the file takes its place, waits only for what came after the others.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "storage/platform.h"

// On 38 MB written over 100 ms, a flush every 8 MiB left the last one 4 to 5 ms instead of 27
// to 29 ms (the writing itself took as long either way; three runs each, in turn, 2026-12-08).
// vornel-convert from a file to a file, 200 MiB written in pieces: UTF-16 130 → 119 ms, ASCII
// 142 → 116 ms (bench/compare.sh, 5 rounds, 2026-12-08); the last flush 5 to 6 ms (strace).
// Under wine, with a handle of its own: the batch run 113 → 91 ms and vornel-convert.exe
// 107 → 85 ms beyond start-up (bench/compare.sh, 5 rounds, 2026-12-09); the last flush 30 →
// 5 ms (strace).
class DiskFlusher {
 public:
  // Flushes the file of `flushing`, a handle of it from OpenForFlushing, on request.
  explicit DiskFlusher(platform::NativeFile flushing);
  ~DiskFlusher();
  DiskFlusher(const DiskFlusher&) = delete;
  DiskFlusher& operator=(const DiskFlusher&) = delete;

  // The flusher for `file`; nullptr when no second handle of it or no thread can be had.
  static std::unique_ptr<DiskFlusher> For(const platform::NativeFile& file);

  // Asks for what is written so far to be pushed to the disk; returns at once.
  void Request();
  // Stops the flusher, waiting for a flush under way; false when any flush failed (the disk
  // may then not hold what was written, and a later flush of the same file need not say so).
  bool Stop();

 private:
  void Loop();

  platform::NativeFile file_;  // the second handle
  std::mutex mutex_;
  std::condition_variable wake_;
  bool requested_ = false;  // under mutex_
  bool stop_ = false;       // under mutex_
  std::atomic<bool> failed_{false};
  std::thread thread_;  // last: started once the rest is ready
};
