// The file-system seam on Windows: wide-character APIs only. Every path is made absolute
// and given the long-path prefix (\\?\ or \\?\UNC\) here, so that paths of 260 characters
// or more work.

#include <windows.h>
// windows.h first: the shell headers rely on its types.
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "storage/platform.h"
#include "tuning/tuning.h"

namespace platform {
namespace {

constexpr DWORD kLargestTransfer = 1u << 30;

// The path as the wide APIs take it: absolute, with the long-path prefix; nullopt when it
// holds a NUL character.
std::optional<std::wstring> ToNative(std::u16string_view path) {
  if (path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  std::wstring wide(path.begin(), path.end());
  if (wide.empty() || wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return full;
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::optional<DWORD> Attributes(const std::u16string& path) {
  const auto native = ToNative(path);
  if (!native) return std::nullopt;
  const DWORD attributes = GetFileAttributesW(native->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

// The reparse tag of the reparse point at `native` itself; 0 when it cannot be read.
DWORD ReparseTag(const std::wstring& native) {
  const HANDLE handle = CreateFileW(
      native.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  FILE_ATTRIBUTE_TAG_INFO info{};
  const bool read =
      GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info) != 0;
  CloseHandle(handle);
  return read ? info.ReparseTag : 0;
}

void Describe(EntryInfo& entry, DWORD attributes, DWORD reparseTag) {
  entry.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.isLink = IsLinkEntry(attributes, reparseTag);
}

// Whether another program has the file open without letting it be deleted: then asking for
// the right to delete it meets a sharing violation.
bool HeldAgainstDeletion(const std::wstring& native) {
  const HANDLE probe =
      CreateFileW(native.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(probe);
  return false;
}

}  // namespace

std::optional<NativeFile> NativeFile::Open(const std::u16string& path, OpenMode mode) {
  const auto native = ToNative(path);
  if (!native) return std::nullopt;
  DWORD access = GENERIC_READ;
  DWORD sharing = FILE_SHARE_READ;
  DWORD disposition = OPEN_EXISTING;
  if (mode == OpenMode::kWriteDenyWriters || mode == OpenMode::kWriteLetWriters) {
    access = GENERIC_READ | GENERIC_WRITE;
    disposition = OPEN_ALWAYS;
    if (mode == OpenMode::kWriteLetWriters) sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  } else if (mode == OpenMode::kRead) {
    sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  } else if (mode == OpenMode::kWriteExisting) {
    access = GENERIC_WRITE;
    sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
  const HANDLE handle = CreateFileW(native->c_str(), access, sharing, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return NativeFile(reinterpret_cast<std::intptr_t>(handle));
}

std::optional<NativeFile> NativeFile::OpenTemporary() {
  wchar_t folder[MAX_PATH + 1] = {};
  wchar_t name[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"vnl", 0, name) == 0) {
    return std::nullopt;
  }
  // GetTempFileNameW made the file under its new name; this handle alone may use it.
  const HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DeleteFileW(name);
    return std::nullopt;
  }
  return NativeFile(reinterpret_cast<std::intptr_t>(handle));
}

std::optional<NativeFile> NativeFile::OpenAsLock(const std::u16string& path, bool& busy) {
  busy = false;
  const auto native = ToNative(path);
  if (!native) return std::nullopt;
  // Without sharing, every other opener meets a sharing violation, over a network share too.
  // The system closes the handle when the process ends, and closing deletes the file.
  const HANDLE handle = CreateFileW(native->c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle != INVALID_HANDLE_VALUE) return NativeFile(reinterpret_cast<std::intptr_t>(handle));
  const DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION) {
    busy = true;
  } else if (error == ERROR_ACCESS_DENIED) {
    // So answers, for a moment, a lock file that its last holder is deleting; a folder in
    // the way or a folder without the right to create files answers the same but stays.
    const DWORD attributes = GetFileAttributesW(native->c_str());
    busy = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() == ERROR_ACCESS_DENIED
                                                 : (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
  return std::nullopt;
}

std::optional<NativeFile> NativeFile::OpenStandard(StandardStream stream) {
  const HANDLE standard =
      GetStdHandle(stream == StandardStream::kInput ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
  HANDLE copy = nullptr;
  if (standard == nullptr || standard == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), standard, GetCurrentProcess(), &copy, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return std::nullopt;
  }
  return NativeFile(reinterpret_cast<std::intptr_t>(copy));
}

NativeFile::NativeFile(NativeFile&& other) noexcept : handle_(other.handle_), open_(other.open_) {
  other.open_ = false;
}

NativeFile::~NativeFile() {
  if (open_) CloseHandle(AsHandle(handle_));
}

bool NativeFile::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kLargestTransfer));
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

std::optional<std::size_t> NativeFile::Read(char* buffer, std::size_t capacity) {
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(capacity, kLargestTransfer));
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), buffer, chunk, &got, nullptr)) {
    // A pipe ends so once its writer has closed it.
    if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
    return std::nullopt;
  }
  return got;
}

std::optional<std::uint64_t> NativeFile::Size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(handle_), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool NativeFile::SeekToStart() {
  return SetFilePointerEx(AsHandle(handle_), LARGE_INTEGER{}, nullptr, FILE_BEGIN) != 0;
}

bool NativeFile::TruncateHere() { return SetEndOfFile(AsHandle(handle_)) != 0; }

// Windows has no call that copies a file into another handle, such as a pipe, in the system.
// NOLINTNEXTLINE(readability-convert-member-functions-to-static): a member on every system
std::optional<bool> NativeFile::SendAllTo(NativeFile& /*output*/) { return std::nullopt; }

bool NativeFile::FlushToDisk() { return FlushFileBuffers(AsHandle(handle_)) != 0; }

std::optional<NativeFile> NativeFile::OpenForFlushing() const {
  // A handle of its own, not a duplicate, which would share this one's queue of calls.
  // FlushFileBuffers flushes the file, whichever handle wrote it; it needs write access.
  const HANDLE handle =
      ReOpenFile(AsHandle(handle_), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return NativeFile(reinterpret_cast<std::intptr_t>(handle));
}

void NativeFile::StartFlushing(std::uint64_t /*offset*/, std::uint64_t /*length*/) {}

bool NativeFile::Close() {
  if (!open_) return false;
  open_ = false;
  return CloseHandle(AsHandle(handle_)) != 0;
}

std::u16string DocumentsFolder() {
  PWSTR path = nullptr;
  std::u16string documents;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DONT_VERIFY, nullptr, &path))) {
    const std::wstring_view wide(path);
    documents.assign(wide.begin(), wide.end());
  }
  CoTaskMemFree(path);
  return documents;
}

bool MakeDirectory(const std::u16string& path) {
  const auto native = ToNative(path);
  return native && CreateDirectoryW(native->c_str(), nullptr) != 0;
}

std::optional<FileStatus> Status(const std::u16string& path) {
  const auto native = ToNative(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!native || !GetFileAttributesExW(native->c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  FileStatus status;
  status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  return status;
}

std::optional<EntryInfo> QueryEntry(const std::u16string& path) {
  const auto native = ToNative(path);
  if (!native) return std::nullopt;
  const DWORD attributes = GetFileAttributesW(native->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  EntryInfo entry;
  Describe(entry, attributes,
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? ReparseTag(*native) : 0);
  return entry;
}

std::optional<std::vector<EntryInfo>> ListFolder(const std::u16string& path) {
  std::u16string pattern = path;
  if (!pattern.empty() && pattern.back() != u'\\' && pattern.back() != u'/') pattern += u'\\';
  pattern += u'*';
  const auto native = ToNative(pattern);
  if (!native) return std::nullopt;
  WIN32_FIND_DATAW data{};
  const HANDLE search = FindFirstFileExW(native->c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<EntryInfo> entries;
  do {
    const std::wstring_view name(data.cFileName);
    if (name == L"." || name == L"..") continue;
    EntryInfo entry;
    entry.name.assign(name.begin(), name.end());
    // For a reparse point the find data's reserved field holds its tag.
    Describe(entry, data.dwFileAttributes, data.dwReserved0);
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &data) != FALSE);
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  if (!complete) return std::nullopt;
  return entries;
}

bool DeleteOneFile(const std::u16string& path) {
  const auto native = ToNative(path);
  return native && DeleteFileW(native->c_str()) != 0;
}

bool RemoveEmptyFolder(const std::u16string& path) {
  const auto native = ToNative(path);
  return native && RemoveDirectoryW(native->c_str()) != 0;
}

bool RemoveLink(const std::u16string& path, bool directoryLink) {
  const auto attributes = Attributes(path);
  if (!attributes || (*attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  // Both calls remove a reparse point itself, never the folder or file behind it.
  return directoryLink ? RemoveEmptyFolder(path) : DeleteOneFile(path);
}

bool ClearReadOnlyFlag(const std::u16string& path) {
  const auto native = ToNative(path);
  if (!native) return false;
  const DWORD attributes = GetFileAttributesW(native->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (cleared == 0) cleared = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesW(native->c_str(), cleared) != 0;
}

RenameOutcome RenameReplacing(const std::u16string& from, const std::u16string& to) {
  const auto nativeFrom = ToNative(from);
  const auto nativeTo = ToNative(to);
  if (!nativeFrom || !nativeTo) return RenameOutcome::kFailed;
  // A file that another program has open cannot be replaced, nor can a file be moved while it
  // is open elsewhere: a reader of the old file or a virus scanner looking at the new one
  // usually lets go within moments, so the rename is tried again for a short while.
  const ULONGLONG deadline =
      GetTickCount64() + static_cast<ULONGLONG>(tuning::kReplaceWait.count());
  auto pause = static_cast<DWORD>(tuning::kReplaceFirstPause.count());
  for (;;) {
    if (MoveFileExW(nativeFrom->c_str(), nativeTo->c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
      return RenameOutcome::kRenamed;
    }
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                      error == ERROR_LOCK_VIOLATION;
    const DWORD target = GetFileAttributesW(nativeTo->c_str());
    const bool folderInTheWay =
        target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!held || folderInTheWay) return RenameOutcome::kFailed;
    if (GetTickCount64() >= deadline) {
      return HeldAgainstDeletion(*nativeTo) ? RenameOutcome::kTargetInUse : RenameOutcome::kFailed;
    }
    Sleep(pause);
    pause = std::min(pause * 2, static_cast<DWORD>(tuning::kReplaceLongestPause.count()));
  }
}

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

// A slim reader/writer lock and a condition variable are each one pointer, null when unused.
static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

void ThreadLock::lock() { AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&lock_)); }

void ThreadLock::unlock() { ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&lock_)); }

void ThreadCondition::Sleep(std::unique_lock<ThreadLock>& lock) {
  SleepConditionVariableSRW(reinterpret_cast<PCONDITION_VARIABLE>(&condition_),
                            reinterpret_cast<PSRWLOCK>(&lock.mutex()->lock_), INFINITE, 0);
}

void ThreadCondition::WakeAll() {
  WakeAllConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&condition_));
}

// Large pages need a privilege that ordinary users lack: always ordinary ones.
BufferMemory BufferMemoryOf(std::size_t bytes) { return BufferMemory(new char[bytes]); }

}  // namespace platform
