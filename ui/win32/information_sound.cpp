#include "ui/win32/information_sound.h"

#include <system_error>

#include "ui/win32/windows_api.h"

InformationSound::InformationSound() {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // Played on the caller's thread instead.
  }
}

InformationSound::~InformationSound() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void InformationSound::Play() {
  if (!thread_.joinable()) {
    MessageBeep(MB_ICONINFORMATION);
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++pending_;
  }
  wake_.notify_one();
}

void InformationSound::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ > 0 || ending_; });
    if (pending_ == 0) return;
    --pending_;
    lock.unlock();
    MessageBeep(MB_ICONINFORMATION);
    lock.lock();
  }
}
