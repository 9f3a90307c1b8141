#pragma once
// A file's bytes handed on in pieces, so that they are never held whole: the two readers
// behind ReadFileInPieces, the plain one and the one that has the next piece read while the
// current one is taken.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace platform {
class NativeFile;
}  // namespace platform

// The read of the next piece, handed to a taker so that one of its threads that would otherwise
// wait can do it while the current piece is worked on. The taker may call it at most once, from
// any thread, and it must have returned before the taker returns; the reader reads the piece
// itself when the taker did not. It does not throw.
using PieceRead = std::function<void()>;

// What a reader of pieces hands a file's bytes to: it gets the bytes, whether they end the
// file and the read of the next piece, and returns how many of the bytes it used from the
// front, or nullopt to stop reading.
using PieceTaker = std::function<std::optional<std::size_t>(std::string_view bytes, bool last,
                                                            const PieceRead& readNext)>;

// `take`, for a taker that works on the calling thread alone, with the next piece read on a
// thread of its own meanwhile (on the calling thread when no thread can be started).
PieceTaker ReadingAhead(PieceTaker take);

// Hands the rest of `file` to `take`: each call gets the bytes the call before did not use,
// followed by up to `pieceBytes` (at least 4) more; with `last`, they end the file. A byte at
// an even offset of the file lies at an even address. `readNext` does nothing: each piece is
// read once the one before is taken. false when a read fails, or when the file ends before
// `size`, the size it had at the start (another program cut it short meanwhile); true when
// `take` stops it. Throws std::bad_alloc when memory runs out.
bool ReadPiecesPlainly(platform::NativeFile& file, std::optional<std::uint64_t> size,
                       std::size_t pieceBytes, const PieceTaker& take);

// ReadPiecesPlainly with the next piece read by `readNext`, into memory of its own, so that it
// can be read while `take` works on the current one: the same pieces and the same outcome; the
// file may have been read one piece further when `take` stops it.
bool ReadPiecesAhead(platform::NativeFile& file, std::optional<std::uint64_t> size,
                     std::size_t pieceBytes, const PieceTaker& take);
