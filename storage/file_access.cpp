#include "storage/file_access.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "storage/platform.h"
#include "storage/text_decoding.h"
#include "storage/working_folders.h"

namespace {

// `folder` and `name` joined by exactly one separator.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  std::u16string joined = folder;
  if (joined.empty() || (joined.back() != kPathSeparator && joined.back() != u'/')) {
    joined += kPathSeparator;
  }
  joined += name;
  return joined;
}

std::optional<platform::NativeFile> OpenForReading(const std::u16string& path, bool denyWriters) {
  return platform::NativeFile::Open(
      path, denyWriters ? platform::OpenMode::kReadDenyWriters : platform::OpenMode::kRead);
}

// Fills `buffer` from `file` after the `held` bytes already in it; the new number of bytes
// held, which is less than `capacity` only at the end of the file. nullopt when a read fails.
std::optional<std::size_t> FillBuffer(platform::NativeFile& file, char* buffer, std::size_t held,
                                      std::size_t capacity) {
  while (held < capacity) {
    const auto got = file.Read(buffer + held, capacity - held);
    if (!got) return std::nullopt;
    if (*got == 0) break;
    held += *got;
  }
  return held;
}

// Reads the rest of `file` through `decoder`, `pieceBytes` (at least 4) at a time, so that
// the file's bytes are never held whole; after each piece calls `afterPiece` with whether it
// was the last, and stops early when that returns false. false when a read fails.
bool DecodeFile(platform::NativeFile& file, UnicodeTextDecoder& decoder, std::size_t pieceBytes,
                const std::function<bool(bool last)>& afterPiece) {
  pieceBytes = std::max<std::size_t>(pieceBytes, 4);
  const auto buffer = std::make_unique_for_overwrite<char[]>(pieceBytes);
  std::size_t held = 0;
  for (;;) {
    const auto filled = FillBuffer(file, buffer.get(), held, pieceBytes);
    if (!filled) return false;
    const bool last = *filled < pieceBytes;
    const std::size_t taken = decoder.Decode(std::string_view(buffer.get(), *filled), last);
    if (!afterPiece(last) || last) return true;
    // The bytes of an unfinished character go first into the next piece.
    std::memmove(buffer.get(), buffer.get() + taken, *filled - taken);
    held = *filled - taken;
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

FileReplacement::FileReplacement(const std::u16string& path) : path_(path) {
  const std::string pid = std::to_string(platform::CurrentProcessId());
  temporary_ = path + u".part-" + std::u16string(pid.begin(), pid.end());
  auto file = platform::NativeFile::Open(temporary_, platform::OpenMode::kWriteDenyWriters);
  if (file) file_ = std::make_unique<platform::NativeFile>(std::move(*file));
}

FileReplacement::~FileReplacement() {
  if (!file_) return;
  file_->Close();
  platform::DeleteOneFile(temporary_);
}

bool FileReplacement::Write(std::string_view bytes) {
  if (file_ && !failed_ && !file_->WriteAll(bytes)) failed_ = true;
  return file_ && !failed_;
}

bool FileReplacement::Commit() {
  if (!file_) return false;
  // A file left beside by an earlier run of the same id may be longer: it is cut here.
  const bool written = !failed_ && file_->TruncateHere() && file_->FlushToDisk();
  const bool closed = file_->Close();
  if (written && closed && platform::RenameReplacing(temporary_, path_)) {
    file_.reset();
    return true;
  }
  failed_ = true;
  return false;  // the destructor removes the file beside
}

bool ReplaceFileAtomically(const std::u16string& path, std::string_view bytes) {
  FileReplacement replacement(path);
  return replacement.Write(bytes) && replacement.Commit();
}

std::optional<std::u16string> ReadUnicodeTextFile(const std::u16string& path, bool denyWriters) {
  auto file = OpenForReading(path, denyWriters);
  if (!file) return std::nullopt;
  std::u16string text;
  // Room for a UTF-16LE file's characters up front: the text is not copied while it grows.
  if (const auto size = file->Size(); size && *size / 2 < text.max_size() - 2) {
    text.reserve(static_cast<std::size_t>(*size / 2) + 2);
  }
  UnicodeTextDecoder decoder(text);
  if (!DecodeFile(*file, decoder, kTextPieceBytes, [](bool) { return true; })) return std::nullopt;
  return text;
}

bool ReadUnicodeTextInPieces(const std::u16string& path, bool denyWriters,
                             const std::function<bool(std::u16string& text, bool last)>& take,
                             std::size_t pieceBytes) {
  auto file = OpenForReading(path, denyWriters);
  if (!file) return false;
  std::u16string text;
  text.reserve(pieceBytes / 2 + 64);
  UnicodeTextDecoder decoder(text);
  return DecodeFile(*file, decoder, pieceBytes, [&](bool last) { return take(text, last); });
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
