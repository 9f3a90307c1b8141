// The file-system seam on POSIX systems (native tests and ports). Paths are converted from
// UTF-16 to UTF-8 here; a byte of a file name that is not UTF-8 travels as the lone
// surrogate U+DC80..U+DCFF and turns back into the same byte, so every name found in a
// folder can be named again.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#if defined(__linux__)
#include <sys/sendfile.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "storage/platform.h"
#include "storage/utf8.h"
#include "tuning/tuning.h"

namespace platform {
namespace {

std::string Utf8Of(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
      out.push_back(static_cast<char>(unit - 0xDC00));
    } else {
      AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
  }
  return out;
}

// A path for the system; nullopt when it holds a NUL, which would cut it short there.
std::optional<std::string> ToNative(std::u16string_view path) {
  if (path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  return Utf8Of(path);
}

std::u16string FromNative(std::string_view name) {
  std::u16string out;
  out.reserve(name.size());
  while (!name.empty()) {
    char32_t codePoint = 0;
    const std::size_t used = DecodeUtf8Sequence(name, codePoint);
    if (codePoint == kInvalidSequence) {
      for (std::size_t k = 0; k < used; ++k) {
        out.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(name[k])));
      }
    } else {
      AppendUtf16(out, codePoint);
    }
    name.remove_prefix(used);
  }
  return out;
}

bool OwnerMayWrite(const struct stat& info) { return (info.st_mode & S_IWUSR) != 0; }

// Fills the link-aware fields of `entry` from the lstat result of `linkInfo`; `followed` is
// what the entry points to.
void Describe(EntryInfo& entry, const struct stat& linkInfo, const struct stat* followed) {
  entry.isLink = S_ISLNK(linkInfo.st_mode);
  entry.isDirectory =
      entry.isLink ? followed != nullptr && S_ISDIR(followed->st_mode) : S_ISDIR(linkInfo.st_mode);
}

// Drops the spaces and tabs at the start of `text`.
void SkipBlanks(std::string_view& text) {
  text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
}

// The quoted value of an XDG_DOCUMENTS_DIR="..." line of a user-dirs.dirs file, backslash
// escapes resolved; nullopt for any other line and for a value without its closing quote.
std::optional<std::string> DocumentsEntryOf(std::string_view line) {
  static constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
  SkipBlanks(line);
  if (!line.starts_with(kKey)) return std::nullopt;
  line.remove_prefix(kKey.size());
  SkipBlanks(line);
  if (!line.starts_with('=')) return std::nullopt;
  line.remove_prefix(1);
  SkipBlanks(line);
  if (!line.starts_with('"')) return std::nullopt;
  std::string value;
  for (std::size_t k = 1; k < line.size(); ++k) {
    if (line[k] == '"') return value;
    if (line[k] == '\\' && k + 1 < line.size()) ++k;
    value.push_back(line[k]);
  }
  return std::nullopt;
}

// Value of XDG_DOCUMENTS_DIR in a user-dirs.dirs file, "$HOME" replaced; empty when the file
// or the entry is missing or does not name an absolute path.
std::string DocumentsFromUserDirs(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  std::string line;
  std::string found;
  while (std::getline(in, line)) {
    std::optional<std::string> value = DocumentsEntryOf(line);
    if (!value) continue;
    static constexpr std::string_view kHome = "$HOME";
    if (value->starts_with(kHome) &&
        (value->size() == kHome.size() || (*value)[kHome.size()] == '/')) {
      if (home.empty()) continue;
      value->replace(0, kHome.size(), home);
    }
    if (value->starts_with('/')) found = *value;  // the last entry counts, as in a shell
  }
  while (found.size() > 1 && found.back() == '/') found.pop_back();
  return found;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::optional<NativeFile> NativeFile::Open(const std::u16string& path, OpenMode mode) {
  const auto native = ToNative(path);
  if (!native) return std::nullopt;
  // Sharing modes do not exist here: the deny-writers modes open like the plain ones.
  int flags = O_RDONLY | O_CLOEXEC;
  if (mode == OpenMode::kWriteDenyWriters || mode == OpenMode::kWriteLetWriters) {
    flags = O_RDWR | O_CREAT | O_CLOEXEC;
  }
  if (mode == OpenMode::kWriteExisting) flags = O_WRONLY | O_CLOEXEC;
  int fd = -1;
  do {
    fd = ::open(native->c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  return NativeFile(fd);
}

std::optional<NativeFile> NativeFile::OpenTemporary() {
  std::string folder = Environment("TMPDIR");
  if (!folder.starts_with('/')) folder = "/tmp";
  std::string name = folder + "/vornel-XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ::unlink(name.c_str());  // open, it stays until it is closed; no other program finds it
  return NativeFile(fd);
}

std::optional<NativeFile> NativeFile::OpenAsLock(const std::u16string& path, bool& busy) {
  busy = false;
  const auto native = ToNative(path);
  if (!native) return std::nullopt;
  int fd = -1;
  do {
    // Reading is all flock needs, so a lock file that another user left is taken as well.
    fd = ::open(native->c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  // flock rather than fcntl: its lock belongs to this open file, so that two opens in one
  // process exclude each other too, and it goes when the last descriptor closes.
  int locked = -1;
  do {
    locked = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked == 0) return NativeFile(fd);
  busy = errno == EWOULDBLOCK;
  ::close(fd);
  return std::nullopt;
}

std::optional<NativeFile> NativeFile::OpenStandard(StandardStream stream) {
  const int fd =
      ::fcntl(stream == StandardStream::kInput ? STDIN_FILENO : STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
#if defined(F_SETPIPE_SZ)
  // A pipe asked to hold more: each of its 64 KiB turns otherwise costs both ends a trip.
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISFIFO(status.st_mode)) {
    ::fcntl(fd, F_SETPIPE_SZ, static_cast<int>(tuning::kPipeBytes));  // a refusal changes nothing
  }
#endif
  return NativeFile(fd);
}

NativeFile::NativeFile(NativeFile&& other) noexcept : handle_(other.handle_), open_(other.open_) {
  other.open_ = false;
}

NativeFile::~NativeFile() {
  if (open_) ::close(static_cast<int>(handle_));
}

bool NativeFile::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::optional<bool> NativeFile::SendAllTo(NativeFile& output) {
#if defined(__linux__)
  const std::optional<std::uint64_t> size = Size();
  if (!size) return false;
  off_t offset = 0;
  while (static_cast<std::uint64_t>(offset) < *size) {
    const ssize_t sent = ::sendfile(static_cast<int>(output.handle_), static_cast<int>(handle_),
                                    &offset, static_cast<std::size_t>(*size - offset));
    if (sent < 0 && errno == EINTR) continue;
    // Refused before anything was sent: an output the system does not send to (older kernels
    // refuse one opened for appending, for one).
    if (sent < 0 && offset == 0 && (errno == EINVAL || errno == ENOSYS)) return std::nullopt;
    if (sent <= 0) return false;
  }
  return true;
#else
  (void)output;
  return std::nullopt;
#endif
}

std::optional<std::size_t> NativeFile::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buffer, capacity);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return std::nullopt;
  }
}

std::optional<std::uint64_t> NativeFile::Size() {
  struct stat info {};
  if (::fstat(static_cast<int>(handle_), &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool NativeFile::SeekToStart() { return ::lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0; }

bool NativeFile::TruncateHere() {
  const off_t here = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
  return here >= 0 && ::ftruncate(static_cast<int>(handle_), here) == 0;
}

bool NativeFile::FlushToDisk() { return ::fsync(static_cast<int>(handle_)) == 0; }

std::optional<NativeFile> NativeFile::OpenForFlushing() const {
  // A descriptor of the same open file: fsync flushes the file, whichever descriptor wrote it.
  const int fd = ::fcntl(static_cast<int>(handle_), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  return NativeFile(fd);
}

void NativeFile::StartFlushing(std::uint64_t offset, std::uint64_t length) {
#if defined(__linux__)
  ::sync_file_range(static_cast<int>(handle_), static_cast<off_t>(offset),
                    static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
  (void)offset;
  (void)length;
#endif
}

bool NativeFile::Close() {
  if (!open_) return false;
  open_ = false;
  return ::close(static_cast<int>(handle_)) == 0;
}

std::u16string DocumentsFolder() {
  const std::string home = Environment("HOME");
  std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.starts_with('/')) config = home.empty() ? std::string() : home + "/.config";
  std::string documents;
  if (!config.empty()) documents = DocumentsFromUserDirs(config + "/user-dirs.dirs", home);
  if (documents.empty() && !home.empty()) documents = home + "/Documents";
  return FromNative(documents);
}

bool MakeDirectory(const std::u16string& path) {
  const auto native = ToNative(path);
  return native && ::mkdir(native->c_str(), 0777) == 0;
}

std::optional<FileStatus> Status(const std::u16string& path) {
  const auto native = ToNative(path);
  struct stat info {};
  if (!native || ::stat(native->c_str(), &info) != 0) return std::nullopt;
  FileStatus status;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.isDirectory = S_ISDIR(info.st_mode);
  status.readOnly = !OwnerMayWrite(info);
  return status;
}

std::optional<EntryInfo> QueryEntry(const std::u16string& path) {
  const auto native = ToNative(path);
  struct stat linkInfo {};
  if (!native || ::lstat(native->c_str(), &linkInfo) != 0) return std::nullopt;
  struct stat followed {};
  const bool reached = S_ISLNK(linkInfo.st_mode) && ::stat(native->c_str(), &followed) == 0;
  EntryInfo entry;
  Describe(entry, linkInfo, reached ? &followed : nullptr);
  return entry;
}

std::optional<std::vector<EntryInfo>> ListFolder(const std::u16string& path) {
  const auto native = ToNative(path);
  // Closed however the listing ends, running out of memory included.
  const std::unique_ptr<DIR, int (*)(DIR*)> open(native ? ::opendir(native->c_str()) : nullptr,
                                                 &::closedir);
  DIR* const folder = open.get();
  if (folder == nullptr) return std::nullopt;
  const int folderFd = ::dirfd(folder);
  std::vector<EntryInfo> entries;
  bool failed = false;
  for (;;) {
    errno = 0;
    // readdir_r is obsolete: readdir is safe on a stream that only this call reads.
    // cppcheck-suppress readdirCalled
    const dirent* item = ::readdir(folder);
    if (item == nullptr) {
      failed = errno != 0;
      break;
    }
    const std::string_view name(item->d_name);
    if (name == "." || name == "..") continue;
    struct stat linkInfo {};
    if (::fstatat(folderFd, item->d_name, &linkInfo, AT_SYMLINK_NOFOLLOW) != 0) continue;
    struct stat followed {};
    const bool reached =
        S_ISLNK(linkInfo.st_mode) && ::fstatat(folderFd, item->d_name, &followed, 0) == 0;
    EntryInfo entry;
    entry.name = FromNative(name);
    Describe(entry, linkInfo, reached ? &followed : nullptr);
    entries.push_back(std::move(entry));
  }
  if (failed) return std::nullopt;
  return entries;
}

bool DeleteOneFile(const std::u16string& path) {
  const auto native = ToNative(path);
  struct stat info {};
  if (!native || ::lstat(native->c_str(), &info) != 0) return false;
  if (S_ISDIR(info.st_mode)) return false;
  if (S_ISREG(info.st_mode) && !OwnerMayWrite(info)) return false;
  return ::unlink(native->c_str()) == 0;
}

bool RemoveEmptyFolder(const std::u16string& path) {
  const auto native = ToNative(path);
  return native && ::rmdir(native->c_str()) == 0;
}

bool RemoveLink(const std::u16string& path, bool /*directoryLink*/) {
  const auto native = ToNative(path);
  struct stat info {};
  if (!native || ::lstat(native->c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return false;
  return ::unlink(native->c_str()) == 0;
}

bool ClearReadOnlyFlag(const std::u16string& path) {
  const auto native = ToNative(path);
  struct stat info {};
  if (!native || ::stat(native->c_str(), &info) != 0) return false;
  return ::chmod(native->c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

RenameOutcome RenameReplacing(const std::u16string& from, const std::u16string& to) {
  const auto nativeFrom = ToNative(from);
  const auto nativeTo = ToNative(to);
  if (!nativeFrom || !nativeTo) return RenameOutcome::kFailed;
  // Formed first: nothing after the rename may run out of memory.
  const std::size_t slash = nativeTo->rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : nativeTo->substr(0, slash);
  // A file open elsewhere is replaced all the same: a failure here is never kTargetInUse.
  if (::rename(nativeFrom->c_str(), nativeTo->c_str()) != 0) return RenameOutcome::kFailed;
  // Make the new name itself durable; the rename has happened whatever this reports.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return RenameOutcome::kRenamed;
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

void ThreadLock::lock() { lock_.lock(); }

void ThreadLock::unlock() { lock_.unlock(); }

void ThreadCondition::Sleep(std::unique_lock<ThreadLock>& lock) {
  std::unique_lock<std::mutex> held(lock.mutex()->lock_, std::adopt_lock);
  condition_.wait(held);
  held.release();  // still held, by `lock`
}

void ThreadCondition::WakeAll() { condition_.notify_all(); }

// The pieces of a file read into huge pages: vornel-convert from a file to a file, 200 MiB
// written in pieces, UTF-16 93 → 82 ms and ASCII 98 → 93 ms; written in one piece 99 → 80 and
// 87 → 81 ms (bench/compare.sh, 7 rounds, 2026-12-08); a run's page faults 822 → 300. The
// kernel copies each piece into the buffer and the conversion reads it through: in 4 KiB
// pages each of them costs a TLB miss, dear in a virtual machine, and a first touch.
BufferMemory BufferMemoryOf(std::size_t bytes) {
#if defined(__linux__)
  constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
  if (bytes >= kHugePageBytes / 2) {
    const std::size_t size = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    BufferMemory memory(
        static_cast<char*>(::operator new[](size, std::align_val_t{kHugePageBytes})),
        FreeBufferMemory{kHugePageBytes});
    ::madvise(memory.get(), size, MADV_HUGEPAGE);  // a request: refused, the pages stay small
    return memory;
  }
#endif
  return BufferMemory(new char[bytes]);
}

std::u16string PathOfNativeName(std::string_view name) { return FromNative(name); }

std::string NativeNameOf(std::u16string_view text) { return Utf8Of(text); }

}  // namespace platform
