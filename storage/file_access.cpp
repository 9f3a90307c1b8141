#include "storage/file_access.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "storage/disk_flusher.h"
#include "storage/platform.h"
#include "storage/text_decoding.h"
#include "storage/working_folders.h"

namespace {

// What a replacement's file beside its target is called: the target's name, this, and the id
// of the process that writes it.
constexpr std::u16string_view kReplacementSuffix = u".part-";

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

// Reads `file` in pieces, the next one meanwhile where the taker reads it. A file smaller than a
// piece is read in one piece of its size, which needs no large memory.
bool ReadPieces(platform::NativeFile& file, std::optional<std::uint64_t> size,
                std::size_t pieceBytes, const PieceTaker& take) {
  if (size && *size < pieceBytes) pieceBytes = static_cast<std::size_t>(*size) + 1;
  return ReadPiecesAhead(file, size, pieceBytes, take);
}

// Copies the file at `from` into the existing file at `to`, which others may hold open
// meanwhile: cut, then written in pieces, then flushed. false when `to` cannot be opened for
// writing or any step fails (a part of the copy may then be in it).
bool CopyInto(const std::u16string& from, const std::u16string& to) {
  auto target = platform::NativeFile::Open(to, platform::OpenMode::kWriteExisting);
  if (!target || !target->TruncateHere()) return false;
  bool written = true;
  const bool read = ReadFileInPieces(
      from, /*denyWriters=*/false,
      ReadingAhead([&](std::string_view bytes, bool /*last*/,
                       const PieceRead& /*readNext*/) -> std::optional<std::size_t> {
        written = target->WriteAll(bytes);
        return written ? std::optional<std::size_t>(bytes.size()) : std::nullopt;
      }));
  return read && written && target->FlushToDisk() && target->Close();
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
  temporary_ = path + std::u16string(kReplacementSuffix) + std::u16string(pid.begin(), pid.end());
  // Others may write it: the flusher's handle does (the name is this process's own).
  auto file = platform::NativeFile::Open(temporary_, platform::OpenMode::kWriteLetWriters);
  if (file) file_ = std::make_unique<platform::NativeFile>(std::move(*file));
}

FileReplacement::~FileReplacement() {
  flusher_.reset();
  if (!file_) return;
  file_->Close();
  platform::DeleteOneFile(temporary_);
}

bool FileReplacement::Write(std::string_view bytes) {
  if (file_ && !failed_ && !file_->WriteAll(bytes)) failed_ = true;
  written_ += bytes.size();
  if (file_ && !failed_ && written_ - flushing_ >= tuning::kStartFlushingBytes) {
    file_->StartFlushing(flushing_, written_ - flushing_);
    if (!flusher_) flusher_ = DiskFlusher::For(*file_);
    if (flusher_) flusher_->Request();
    flushing_ = written_;
  }
  return file_ && !failed_;
}

bool FileReplacement::Commit() { return PutInPlace(false); }

bool FileReplacement::CommitOrOverwrite() { return PutInPlace(true); }

bool FileReplacement::PutInPlace(bool overwriteInUse) {
  if (!file_) return false;
  const bool flushedBefore = !flusher_ || flusher_->Stop();
  flusher_.reset();
  // A file left beside by an earlier run of the same id may be longer: it is cut here.
  const bool written = !failed_ && flushedBefore && file_->TruncateHere() && file_->FlushToDisk();
  const bool closed = file_->Close();
  const platform::RenameOutcome renamed = written && closed
                                              ? platform::RenameReplacing(temporary_, path_)
                                              : platform::RenameOutcome::kFailed;
  if (renamed == platform::RenameOutcome::kRenamed) {
    file_.reset();
    return true;
  }
  if (renamed == platform::RenameOutcome::kTargetInUse && overwriteInUse &&
      CopyInto(temporary_, path_)) {
    if (platform::DeleteOneFile(temporary_)) file_.reset();  // else the destructor tries again
    return true;
  }
  failed_ = true;
  return false;  // the destructor removes the file beside
}

int RemoveLeftoverReplacements(const std::u16string& path) {
  const std::size_t cut = path.find_last_of(kPathSeparators);
  if (cut == std::u16string::npos) return 0;
  const std::u16string folder = path.substr(0, std::max<std::size_t>(cut, 1));  // "/" stays
  const std::u16string prefix = path.substr(cut + 1) + std::u16string(kReplacementSuffix);
  const auto entries = platform::ListFolder(folder);
  if (!entries) return 0;
  int removed = 0;
  for (const platform::EntryInfo& entry : *entries) {
    // Only names a replacement gives: the prefix and a process id.
    const std::u16string_view name = entry.name;
    if (entry.isLink || entry.isDirectory || !name.starts_with(prefix) ||
        name.size() == prefix.size() ||
        !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
      continue;
    }
    if (platform::DeleteOneFile(JoinPath(folder, entry.name))) ++removed;
  }
  return removed;
}

template <class Text>
std::optional<Text> ReadUnicodeTextFile(const std::u16string& path, bool denyWriters) {
  auto file = OpenForReading(path, denyWriters);
  if (!file) return std::nullopt;
  Text text;
  // Room for a UTF-16LE file's characters up front: the text is not copied while it grows.
  if (const auto size = file->Size(); size && *size / 2 < text.max_size() - 2) {
    text.reserve(static_cast<std::size_t>(*size / 2) + 2);
  }
  BasicUnicodeTextDecoder<Text> decoder(text);
  const bool read = ReadPieces(
      *file, file->Size(), tuning::kReadPieceBytes,
      ReadingAhead([&](std::string_view bytes, bool last, const PieceRead& /*readNext*/) {
        return std::optional<std::size_t>(decoder.Decode(bytes, last));
      }));
  if (!read) return std::nullopt;
  return text;
}
template std::optional<std::u16string> ReadUnicodeTextFile(const std::u16string&, bool);
template std::optional<FirstTouchedU16String> ReadUnicodeTextFile(const std::u16string&, bool);

bool ReadFileInPieces(const std::u16string& path, bool denyWriters, const PieceTaker& take,
                      std::size_t pieceBytes) {
  auto file = OpenForReading(path, denyWriters);
  return file && ReadPieces(*file, file->Size(), pieceBytes, take);
}

bool ReadFileInPieces(platform::NativeFile& file, const PieceTaker& take, std::size_t pieceBytes) {
  return file.SeekToStart() && ReadPieces(file, file.Size(), pieceBytes, take);
}

bool ReadStreamInPieces(platform::NativeFile& stream, const PieceTaker& take,
                        std::size_t pieceBytes) {
  return ReadPieces(stream, std::nullopt, pieceBytes, take);
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
