#pragma once
// The operating-system seam of the file routines: one thin wrapper per operating-system
// concept. Paths are UTF-16 everywhere above this seam; each implementation converts them
// here (Windows: wide paths with the long-path prefix; elsewhere UTF-8). A path holding a
// NUL character names no file: every operation on it fails.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/file_access.h"

namespace platform {

enum class OpenMode {
  kWriteDenyWriters,  // read and write; created when missing, not emptied; others may only read
  kWriteLetWriters,   // the same, but others may write meanwhile (a second handle may flush it)
  kRead,              // read an existing file; others may read and write meanwhile
  kReadDenyWriters,   // read an existing file; fails while someone else has it open for writing
  kWriteExisting,     // write an existing file, never created; others may read and write meanwhile
};

// The standard streams a process is given.
enum class StandardStream { kInput, kOutput };

// An open file; closed (errors ignored) when it goes out of scope.
class NativeFile {
 public:
  // The opened file; nullopt on any failure.
  static std::optional<NativeFile> Open(const std::u16string& path, OpenMode mode);
  // A new empty file in the system's temporary folder, open for reading and writing, that no
  // other program opens by name and that is deleted when it is closed or the process ends;
  // nullopt on any failure.
  static std::optional<NativeFile> OpenTemporary();
  // The lock file at `path` (created when missing), open for this opener alone until it is
  // closed or the process ends, however it ends: no other opener gets it meanwhile, in this
  // process or another, on this machine or another that shares the folder. Windows: opened
  // without sharing and deleted when closed; elsewhere: flock on it, the file left in place.
  // nullopt on failure, with `busy` set when another opener holds it.
  static std::optional<NativeFile> OpenAsLock(const std::u16string& path, bool& busy);
  // A second handle of the process's standard input or output (closing it leaves the stream
  // open); reading a pipe whose writer has closed it gives 0, as at the end of a file. nullopt
  // when the process has no such stream.
  static std::optional<NativeFile> OpenStandard(StandardStream stream);

  NativeFile(NativeFile&& other) noexcept;
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  NativeFile& operator=(NativeFile&&) = delete;
  ~NativeFile();

  // Writes all of `bytes` at the current position; false on any failure or short write.
  bool WriteAll(std::string_view bytes);
  // Copies this file's bytes from its start to `output` within the system, without passing
  // them through the program; nullopt, with nothing copied, where the system cannot (Windows,
  // or an output the system does not send to), else whether all of them were copied.
  std::optional<bool> SendAllTo(NativeFile& output);
  // Reads up to `capacity` bytes into `buffer`; 0 at the end of the file, nullopt on failure.
  std::optional<std::size_t> Read(char* buffer, std::size_t capacity);
  // Size of the file in bytes; nullopt on failure.
  std::optional<std::uint64_t> Size();
  // Moves the current position to the start of the file; false on failure.
  bool SeekToStart();
  // Cuts the file at the current position; false on failure.
  bool TruncateHere();
  // Pushes everything written so far to the disk; false on failure.
  bool FlushToDisk();
  // A second handle of this file, for FlushToDisk on another thread while this one writes: on
  // Windows a handle of its own, since the calls on one handle opened for plain (synchronous)
  // use are taken one at a time; the file must have been opened with kWriteLetWriters there.
  // nullopt on failure.
  std::optional<NativeFile> OpenForFlushing() const;
  // Starts writing the `length` bytes at `offset` to the disk without waiting for them, so that
  // a later FlushToDisk has less to wait for; does nothing where the system has no such call.
  void StartFlushing(std::uint64_t offset, std::uint64_t length);
  // Closes the file; false when closing reports an error.
  bool Close();

 private:
  explicit NativeFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
  bool open_ = true;
};

// One entry of a folder, seen without following links. For a link, isDirectory tells
// whether it is a folder link (Windows: the link's folder attribute; elsewhere: whether
// it points to a folder).
struct EntryInfo {
  std::u16string name;
  bool isDirectory = false;
  bool isLink = false;
};

// Whether a Windows entry with these attributes and reparse tag is a link, never walked into:
// a reparse point whose tag names another file or folder (a name surrogate: symbolic links,
// junctions, WSL links), or whose tag could not be read (0, as wine gives). Every other reparse
// point, such as a cloud-storage placeholder or a deduplicated file, is an ordinary entry.
constexpr bool IsLinkEntry(std::uint32_t attributes, std::uint32_t reparseTag) {
  constexpr std::uint32_t kReparsePoint = 0x400;        // FILE_ATTRIBUTE_REPARSE_POINT
  constexpr std::uint32_t kNameSurrogate = 0x20000000;  // IsReparseTagNameSurrogate
  return (attributes & kReparsePoint) != 0 &&
         (reparseTag == 0 || (reparseTag & kNameSurrogate) != 0);
}

// The current user's Documents folder; empty when it cannot be found.
std::u16string DocumentsFolder();
// Creates one folder level; false on any failure, an existing folder included.
bool MakeDirectory(const std::u16string& path);
// Status of what exists at `path` (a link is followed); nullopt when nothing does.
std::optional<FileStatus> Status(const std::u16string& path);
// What `path` itself is, a link not followed (name left empty); nullopt when nothing is there.
std::optional<EntryInfo> QueryEntry(const std::u16string& path);
// The entries of a folder without "." and ".."; nullopt when it cannot be searched.
std::optional<std::vector<EntryInfo>> ListFolder(const std::u16string& path);
// Deletes one file, never a read-only one (elsewhere: one without the owner's write
// permission) and never a folder; false on failure.
bool DeleteOneFile(const std::u16string& path);
// Removes an empty folder; false on failure.
bool RemoveEmptyFolder(const std::u16string& path);
// Removes the link itself, never what it points to; false on failure.
bool RemoveLink(const std::u16string& path, bool directoryLink);
// Clears the read-only attribute (elsewhere: grants the owner write permission); false on
// failure.
bool ClearReadOnlyFlag(const std::u16string& path);
enum class RenameOutcome {
  kRenamed,
  kTargetInUse,  // another program has `to` open and does not let it be deleted
  kFailed,       // any other failure
};
// Renames `from` to `to` in one step, replacing a file at `to`; on failure `to` is untouched.
// On Windows it waits up to 2 seconds while another program has either open; elsewhere an
// open file never stands in the way, so kTargetInUse comes only on Windows.
RenameOutcome RenameReplacing(const std::u16string& from, const std::u16string& to);
// Id of the running process.
std::uint32_t CurrentProcessId();

// A lock of this process's threads, on the system's own: std::mutex elsewhere, a slim
// reader/writer lock on Windows, where the threads library beneath std::mutex and
// std::condition_variable made handing a read to another thread dear under wine.
class ThreadLock {
 public:
  ThreadLock() = default;
  ThreadLock(const ThreadLock&) = delete;
  ThreadLock& operator=(const ThreadLock&) = delete;

  // Waits until no other thread holds the lock, and takes it.
  void lock();
  // Gives up the lock, which this thread must hold.
  void unlock();

 private:
  friend class ThreadCondition;
#if defined(_WIN32)
  void* lock_ = nullptr;  // an SRWLOCK, unlocked while null
#else
  std::mutex lock_;
#endif
};

// A condition that threads sleep on under a ThreadLock until another wakes them.
class ThreadCondition {
 public:
  ThreadCondition() = default;
  ThreadCondition(const ThreadCondition&) = delete;
  ThreadCondition& operator=(const ThreadCondition&) = delete;

  // Sleeps under `lock`, which must be held, until `ready` holds; the lock is released while
  // it sleeps.
  template <class Ready>
  void Wait(std::unique_lock<ThreadLock>& lock, Ready ready) {
    while (!ready()) Sleep(lock);
  }
  // Wakes every thread sleeping on it.
  void WakeAll();

 private:
  void Sleep(std::unique_lock<ThreadLock>& lock);
#if defined(_WIN32)
  void* condition_ = nullptr;  // a CONDITION_VARIABLE, with no sleepers while null
#else
  std::condition_variable condition_;
#endif
};

// Frees memory from BufferMemoryOf.
struct FreeBufferMemory {
  std::size_t alignment = 0;  // that it was made with; 0 for new[]
  void operator()(char* bytes) const {
    if (alignment == 0) {
      delete[] bytes;
    } else {
      ::operator delete[](bytes, std::align_val_t{alignment});
    }
  }
};
using BufferMemory = std::unique_ptr<char[], FreeBufferMemory>;
// Memory of at least `bytes` bytes, aligned for any type, for a buffer that is filled and read
// through again and again: in large pages where the system gives them without a privilege
// (Linux: transparent huge pages, for a buffer of a megabyte or more), else in ordinary ones.
// Throws std::bad_alloc when memory runs out.
BufferMemory BufferMemoryOf(std::size_t bytes);

#if !defined(_WIN32)
// The UTF-16 path of a name as the system gives it (a command-line argument, say), as the
// seam converts names back: a byte that is not UTF-8 becomes U+DC80..U+DCFF.
std::u16string PathOfNativeName(std::string_view name);
// The bytes of `text` as the seam gives names to the system: UTF-8, with U+DC80..U+DCFF turned
// back into the bytes they stand for and other unpaired surrogates as U+FFFD.
std::string NativeNameOf(std::u16string_view text);
#endif

}  // namespace platform
