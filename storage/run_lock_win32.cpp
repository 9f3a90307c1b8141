#include <windows.h>

#include "storage/run_lock.h"

RunLock::RunLock(const std::u16string& key, std::chrono::milliseconds timeout) {
  const std::string hash = RunLockName(key);
  const std::wstring name = L"Local\\Vornel.HandOff." + std::wstring(hash.begin(), hash.end());
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return;
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
  const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(timeout.count()));
  // An abandoned lock (its holder ended without releasing it) is ours now.
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

RunLock::~RunLock() {
  if (handle_ == -1) return;
  auto* mutex = reinterpret_cast<HANDLE>(handle_);
  if (held_) ReleaseMutex(mutex);
  CloseHandle(mutex);
}
