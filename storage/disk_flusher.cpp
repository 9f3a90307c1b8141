#include "storage/disk_flusher.h"

#include <system_error>
#include <utility>

DiskFlusher::DiskFlusher(platform::NativeFile flushing)
    : file_(std::move(flushing)), thread_([this] { Loop(); }) {}

DiskFlusher::~DiskFlusher() { Stop(); }

bool DiskFlusher::Stop() {
  if (thread_.joinable()) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  return !failed_.load();
}

std::unique_ptr<DiskFlusher> DiskFlusher::For(const platform::NativeFile& file) {
  std::optional<platform::NativeFile> flushing = file.OpenForFlushing();
  if (!flushing) return nullptr;
  try {
    return std::make_unique<DiskFlusher>(std::move(*flushing));
  } catch (const std::system_error&) {
    return nullptr;
  }
}

void DiskFlusher::Request() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    requested_ = true;
  }
  wake_.notify_one();
}

void DiskFlusher::Loop() {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return requested_ || stop_; });
      if (stop_) return;  // the last flush is the owner's
      requested_ = false;
    }
    if (!file_.FlushToDisk()) failed_.store(true);
  }
}
