#pragma once
// A file's bytes handed on in pieces, so that they are never held whole: the two readers
// behind ReadFileInPieces, the plain one and the one that reads ahead on a thread of its own.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace platform {
class NativeFile;
}  // namespace platform

// What a reader of pieces hands a file's bytes to: it gets the bytes and whether they end the
// file, and returns how many of them it used from the front, or nullopt to stop reading.
using PieceTaker = std::function<std::optional<std::size_t>(std::string_view bytes, bool last)>;

// Hands the rest of `file` to `take`: each call gets the bytes the call before did not use,
// followed by up to `pieceBytes` (at least 4) more; with `last`, they end the file. A byte at
// an even offset of the file lies at an even address. false when a read fails, or when the
// file ends before `size`, the size it had at the start (another program cut it short
// meanwhile); true when `take` stops it. Throws std::bad_alloc when memory runs out.
bool ReadPiecesPlainly(platform::NativeFile& file, std::optional<std::uint64_t> size,
                       std::size_t pieceBytes, const PieceTaker& take);

// ReadPiecesPlainly with the next piece read on a thread of its own while `take` works on the
// current one: the same pieces and the same outcome; the file may have been read one piece
// further when `take` stops it. Reads as ReadPiecesPlainly does when no thread can be started.
bool ReadPiecesAhead(platform::NativeFile& file, std::optional<std::uint64_t> size,
                     std::size_t pieceBytes, const PieceTaker& take);
