#include "storage/file_access.h"

#include <algorithm>

#include "storage/platform.h"
#include "storage/working_folders.h"

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;

// `folder` and `name` joined by exactly one separator.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  std::u16string joined = folder;
  if (joined.empty() || (joined.back() != kPathSeparator && joined.back() != u'/')) {
    joined += kPathSeparator;
  }
  joined += name;
  return joined;
}

// The whole content of an open file; nullopt when a read fails.
std::optional<std::string> ReadAllBytes(platform::NativeFile& file) {
  std::string bytes;
  // One byte more than the size lets the final read see the end without growing the buffer.
  if (const auto size = file.Size(); size && *size < bytes.max_size() - kReadChunk) {
    bytes.reserve(static_cast<std::size_t>(*size) + 1);
  }
  for (;;) {
    const std::size_t used = bytes.size();
    const std::size_t room = bytes.capacity() > used ? bytes.capacity() - used : kReadChunk;
    const std::size_t want = std::min(room, kReadChunk);
    bytes.resize(used + want);
    const auto got = file.Read(bytes.data() + used, want);
    if (!got) return std::nullopt;
    bytes.resize(used + *got);
    if (*got == 0) return bytes;
  }
}

// Writes `bytes` from the start of an open file and cuts it there; false on any failure.
bool WriteWholeFile(platform::NativeFile& file, std::string_view bytes) {
  return file.WriteAll(bytes) && file.TruncateHere();
}

}  // namespace

std::u16string DocumentsFolder() { return platform::DocumentsFolder(); }

bool MakeDirectory(const std::u16string& path) { return platform::MakeDirectory(path); }

int DirectoryExists(const std::u16string& path) {
  const auto status = platform::Status(path);
  return status && status->isDirectory ? 1 : 0;
}

int FileExists(const std::u16string& path) {
  const auto status = platform::Status(path);
  return status && !status->isDirectory ? 1 : 0;
}

std::optional<FileStatus> GetFileStatus(const std::u16string& path) {
  return platform::Status(path);
}

int WriteTextFile(const std::u16string& path, std::string_view bytes) {
  auto file = platform::NativeFile::Open(path, platform::OpenMode::kWriteDenyWriters);
  if (!file) return 0;
  const bool written = WriteWholeFile(*file, bytes);
  const bool closed = file->Close();
  return written && closed ? 1 : 0;
}

bool ReplaceFileAtomically(const std::u16string& path, std::string_view bytes) {
  const std::u16string pid = [] {
    const std::string digits = std::to_string(platform::CurrentProcessId());
    return std::u16string(digits.begin(), digits.end());
  }();
  const std::u16string temporary = path + u".part-" + pid;
  auto file = platform::NativeFile::Open(temporary, platform::OpenMode::kWriteDenyWriters);
  if (!file) return false;
  const bool written = WriteWholeFile(*file, bytes) && file->FlushToDisk();
  const bool closed = file->Close();
  if (written && closed && platform::RenameReplacing(temporary, path)) return true;
  platform::DeleteOneFile(temporary);
  return false;
}

std::optional<std::u16string> ReadUnicodeTextFile(const std::u16string& path, bool denyWriters) {
  auto file = platform::NativeFile::Open(
      path, denyWriters ? platform::OpenMode::kReadDenyWriters : platform::OpenMode::kRead);
  if (!file) return std::nullopt;
  const auto bytes = ReadAllBytes(*file);
  if (!bytes) return std::nullopt;
  return DecodeUnicodeText(*bytes);
}

bool ClearReadOnly(const std::u16string& path) { return platform::ClearReadOnlyFlag(path); }

bool RemoveFile(const std::u16string& path) { return platform::DeleteOneFile(path); }

int DeleteDirectoryTree(const std::u16string& path) {
  const auto root = platform::QueryEntry(path);
  if (!root || !root->isDirectory) return 0;
  if (root->isLink) {
    // A link to a folder goes as a link; what it points to is not ours to delete.
    platform::RemoveLink(path, true);
    return 1;
  }
  const auto entries = platform::ListFolder(path);
  if (!entries) return 0;
  for (const platform::EntryInfo& entry : *entries) {
    const std::u16string full = JoinPath(path, entry.name);
    if (entry.isLink) {
      platform::RemoveLink(full, entry.isDirectory);
    } else if (entry.isDirectory) {
      DeleteDirectoryTree(full);
    } else {
      platform::DeleteOneFile(full);
    }
  }
  platform::RemoveEmptyFolder(path);
  return 1;
}
