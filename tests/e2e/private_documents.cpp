#include "tests/e2e/private_documents.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <system_error>

namespace {

constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kDocumentsValue[] = L"Personal";
// Every test folder's name starts with this, so that a value left behind by a crashed run
// can be told from the user's own.
constexpr wchar_t kFolderPrefix[] = L"vornel-e2e-";
// What Documents points at in a fresh profile.
constexpr wchar_t kDefaultDocuments[] = L"%USERPROFILE%\\Documents";

// Every test program that points Documents elsewhere holds this lock meanwhile, so that test
// programs running side by side never see each other's folders.
constexpr wchar_t kDocumentsLockName[] = L"Local\\Vornel.Tests.DocumentsFolder";
// Another test program may hold the lock for the whole of its run.
constexpr DWORD kDocumentsLockWaitMs = 15 * 60 * 1000;

}  // namespace

bool SetDocumentsValue(const std::wstring& value, unsigned long type) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExW(key, kDocumentsValue, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

PrivateDocuments::PrivateDocuments() {
  lock_ = CreateMutexW(nullptr, FALSE, kDocumentsLockName);
  if (lock_ == nullptr) return;
  const DWORD waited = WaitForSingleObject(lock_, kDocumentsLockWaitMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(lock_);
    lock_ = nullptr;
    return;
  }
  folder_.emplace(kFolderPrefix);
  documents_ = folder_->path() / L"Documents";
  scratch_ = folder_->path() / L"Scratch";
  std::error_code error;
  if (!std::filesystem::create_directories(documents_, error) ||
      !std::filesystem::create_directories(scratch_, error)) {
    return;
  }

  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, kDocumentsValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
      if (RegQueryValueExW(key, kDocumentsValue, nullptr, &type,
                           reinterpret_cast<BYTE*>(value.data()), &size) == ERROR_SUCCESS) {
        value.resize(wcsnlen(value.c_str(), value.size()));
        hadValue_ = true;
        savedType_ = type;
        savedValue_ = value;
      }
    }
    RegCloseKey(key);
  }
  if (hadValue_ && savedValue_.find(kFolderPrefix) != std::wstring::npos) {
    // Left behind by a run that did not get to clean up.
    savedType_ = REG_EXPAND_SZ;
    savedValue_ = kDefaultDocuments;
  }
  active_ = SetDocumentsValue(documents_.wstring());
}

PrivateDocuments::~PrivateDocuments() {
  if (active_) {
    if (hadValue_) {
      SetDocumentsValue(savedValue_, savedType_);
    } else {
      HKEY key = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key) ==
          ERROR_SUCCESS) {
        RegDeleteValueW(key, kDocumentsValue);
        RegCloseKey(key);
      }
    }
  }
  folder_.reset();
  if (lock_ != nullptr) {
    ReleaseMutex(lock_);
    CloseHandle(lock_);
  }
}

std::filesystem::path PrivateDocuments::AppData() const {
  return documents_ / L"Brindlecot" / L"Tavernic";
}
