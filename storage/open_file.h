#pragma once
// Files kept open while they are used, for the converter: an input read from its start as
// often as needed or standard input read once, and files of the system's temporary folder
// that only this process sees and that vanish when closed, copied to standard output.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "storage/file_access.h"
#include "tuning/tuning.h"

class OpenFile {
 public:
  // The file at `path`, open for reading while others may read and write it; nullopt when it
  // cannot be opened (missing, locked, access denied; on Windows also a folder).
  static std::optional<OpenFile> ForReading(const std::u16string& path);
  // A new empty file in the system's temporary folder, deleted when it is closed or the
  // process ends; nullopt when none can be made.
  static std::optional<OpenFile> Temporary();
  // Standard input, to be read once from where it stands; nullopt when the process has none.
  static std::optional<OpenFile> StandardInput();

  OpenFile(OpenFile&& other) noexcept;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  OpenFile& operator=(OpenFile&&) = delete;
  ~OpenFile();

  // Size in bytes; nullopt when it cannot be queried.
  std::optional<std::uint64_t> Size();
  // Hands the bytes from the start to `take` as ReadFileInPieces does; false when a read
  // fails (also for a folder). Throws std::bad_alloc when memory runs out.
  bool ReadInPieces(const PieceTaker& take, std::size_t pieceBytes = tuning::kReadPieceBytes);
  // Hands the bytes from where the file stands to its end to `take` as ReadFileInPieces does,
  // for a stream such as standard input; false when a read fails. Throws std::bad_alloc when
  // memory runs out.
  bool ReadOnInPieces(const PieceTaker& take, std::size_t pieceBytes = tuning::kReadPieceBytes);
  // Appends `bytes` after what was written; false on failure.
  bool Write(std::string_view bytes);
  // Writes the bytes from the start to standard output; false when there is none, or when
  // reading or writing fails. Throws std::bad_alloc when memory runs out.
  bool CopyToStandardOutput();

 private:
  explicit OpenFile(std::unique_ptr<platform::NativeFile> file);

  std::unique_ptr<platform::NativeFile> file_;
};
