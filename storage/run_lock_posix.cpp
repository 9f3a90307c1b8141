#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "storage/run_lock.h"
#include "tuning/tuning.h"

RunLock::RunLock(const std::u16string& key, std::chrono::milliseconds timeout) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return;
  const std::string path =
      (folder / ("vornel-" + std::to_string(getuid()) + "-" + RunLockName(key) + ".lock")).string();
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  handle_ = fd;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    held_ = flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (held_ || std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(tuning::kLockPollPause);
  }
}

RunLock::~RunLock() {
  if (handle_ == -1) return;
  const int fd = static_cast<int>(handle_);
  if (held_) flock(fd, LOCK_UN);
  close(fd);
}
