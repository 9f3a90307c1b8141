#pragma once
// The program's file routines. Paths are UTF-16 and may be longer than 260 characters.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "storage/first_touch.h"
#include "storage/piece_reading.h"
#include "tuning/tuning.h"

// The current user's Documents folder; empty when it cannot be found.
std::u16string DocumentsFolder();

// Creates one folder level; false when it exists already, its parent is missing or on any
// other error.
bool MakeDirectory(const std::u16string& path);

// 1 when something exists at `path` and it is a folder, else 0.
int DirectoryExists(const std::u16string& path);
// 1 when something exists at `path` and it is not a folder, else 0.
int FileExists(const std::u16string& path);

struct FileStatus {
  std::uint64_t size = 0;
  bool isDirectory = false;
  bool readOnly = false;
};
// Status of whatever exists at `path`; nullopt when nothing does or it cannot be queried.
std::optional<FileStatus> GetFileStatus(const std::u16string& path);

// Writes exactly `bytes` to the file (created when missing, cut to their length when
// longer), keeping other writers out meanwhile. 1 when every byte was written, else 0.
int WriteTextFile(const std::u16string& path, std::string_view bytes);

namespace platform {
class NativeFile;
}
class DiskFlusher;

// A file replaced in one step by content written in parts: the parts go to a new file beside
// it, which takes its place at Commit, so that the file is either the old one or the
// complete new one. Until then, and when anything fails, the old file stays as it was (except
// after a failed copy of CommitOrOverwrite), and the file beside it is removed at the latest
// when the replacement is destroyed.
class FileReplacement {
 public:
  // Creates the file beside `path`; a failure shows in Write and Commit.
  explicit FileReplacement(const std::u16string& path);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Appends `bytes` to the new content; false once anything has failed.
  bool Write(std::string_view bytes);
  // Puts the new content in place of the file, waiting up to 2 seconds while another program
  // has it open; false when that fails or anything failed before.
  bool Commit();
  // Commits as Commit does, but when that fails because another program still has the file
  // open without letting it be deleted, copies the new content into that file instead (cut,
  // written, flushed), which works when that program lets others write it; it may then see
  // the new content in part. false when both fail or anything failed before; a copy that
  // failed midway leaves a part in the file.
  bool CommitOrOverwrite();

 private:
  // Puts the new content in place, copying it into a file in use when `overwriteInUse`.
  bool PutInPlace(bool overwriteInUse);

  std::u16string path_;
  std::u16string temporary_;
  std::unique_ptr<platform::NativeFile> file_;  // the file beside, until it is put in place
  std::unique_ptr<DiskFlusher> flusher_;        // of file_, while it is written
  std::uint64_t written_ = 0;                   // bytes written so far
  std::uint64_t flushing_ = 0;                  // bytes on their way to the disk
  bool failed_ = false;
};

// Deletes the files that replacements of `path` left beside it when their process ended
// before they finished (killed or crashed); to be called only while no other process is
// replacing `path`. The number of files deleted.
int RemoveLeftoverReplacements(const std::u16string& path);

// The whole text of a Unicode text file, every line followed by CR LF: UTF-8 after a UTF-8
// byte-order mark, UTF-16LE after a UTF-16LE mark or without a mark. Malformed content
// decodes to characters other than digits. nullopt when the file cannot be opened or read
// (missing, a folder, locked, access denied); throws std::bad_alloc when it does not fit in
// memory. `denyWriters` also fails while another program holds the file open for writing.
// `Text`: std::u16string, or FirstTouchedU16String for a long text shown at once.
template <class Text = std::u16string>
std::optional<Text> ReadUnicodeTextFile(const std::u16string& path, bool denyWriters = false);

// Hands the bytes of the file at `path` to `take` in pieces, so that they are never held
// whole: each call gets the bytes the call before did not use, followed by up to
// `pieceBytes` (at least 4) more. A byte at an even offset of the file lies at an even address.
// With `last` set, the bytes end the file. false when the file cannot be opened or read (as for
// ReadUnicodeTextFile), or ends before the size it had when the reading began; throws
// std::bad_alloc when memory runs out.
bool ReadFileInPieces(const std::u16string& path, bool denyWriters, const PieceTaker& take,
                      std::size_t pieceBytes = tuning::kReadPieceBytes);
// ReadFileInPieces for a file already open for reading, from its start.
bool ReadFileInPieces(platform::NativeFile& file, const PieceTaker& take,
                      std::size_t pieceBytes = tuning::kReadPieceBytes);
// Hands what `stream` gives from where it stands until its end to `take` as
// ReadFileInPieces does; false when a read fails. Throws std::bad_alloc when memory runs out.
bool ReadStreamInPieces(platform::NativeFile& stream, const PieceTaker& take,
                        std::size_t pieceBytes = tuning::kReadPieceBytes);

// Clears the read-only attribute of a file; false on failure.
bool ClearReadOnly(const std::u16string& path);
// Deletes one file, never a read-only one (elsewhere than on Windows: one without the
// owner's write permission); false on failure.
bool RemoveFile(const std::u16string& path);

// Deletes the folder with everything in it, never following a symbolic link or junction
// (a link is removed as a link). A read-only file stays, and so do the folders above it.
// 1 when the folder could be searched, 0 otherwise (nothing is deleted then).
int DeleteDirectoryTree(const std::u16string& path);
