#include "pipeline/batch_pipeline.h"

#include <new>
#include <string_view>
#include <utility>

#include "convert/piecewise_conversion.h"
#include "convert/text_buffer.h"
#include "storage/text_decoding.h"
#include "tuning/tuning.h"

namespace {

// Deletes the input; true when it is gone afterwards, also when the calling program removed
// it meanwhile.
bool DeleteInput(const std::u16string& inputPath) {
  const std::optional<FileStatus> status = GetFileStatus(inputPath);
  if (!status) return true;  // already gone: nothing left to delete
  if (status->readOnly) ClearReadOnly(inputPath);
  return RemoveFile(inputPath) || !GetFileStatus(inputPath);
}

// Hands the UTF-16LE units of `units` to `conversion` as they are, without decoding: what
// decoding changes (NUL and unpaired surrogates become U+FFFD, a lone LF gains a CR, the last
// line gains CR LF) changes neither which characters are foreign nor any line's digits, nor
// where a character stands. Half a unit at the end of the last piece would decode to U+FFFD:
// it refuses the text there. Returns the bytes taken.
std::size_t TakeUnits(PiecewiseConversion& conversion, std::string_view units, bool last,
                      const PieceRead& readNext, const std::function<void()>& meanwhile) {
  const std::u16string_view text16(reinterpret_cast<const char16_t*>(units.data()),
                                   units.size() / 2);
  const std::size_t taken = 2 * conversion.Take(text16, last, readNext, meanwhile);
  if (last && units.size() % 2 != 0) conversion.RefuseAtEnd();
  return taken;
}

}  // namespace

std::optional<ConvertedInput> ConvertBatchInput(
    const std::u16string& inputPath, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes) {
  return ConvertInputPieces(
      [&](const PieceTaker& take, std::size_t bytes) {
        return ReadFileInPieces(inputPath, /*denyWriters=*/true, take, bytes);
      },
      EncodingOf, write, pieceBytes);
}

std::optional<ConvertedInput> ConvertInputPieces(
    const PieceReader& read, const EncodingRule& encodingOf,
    const std::function<bool(std::string_view bytes)>& write, std::size_t pieceBytes,
    LineEnd lineEnd) {
  ConvertedInput input;
  // The result, handed on in runs of some size (each write costs a call into the system): the
  // conversion adds to `bytes` while the run before waits in `waiting`, written by this thread
  // while the helper reads the next piece. Against writing each run as soon as it is complete,
  // 200 MiB written in pieces: under wine the hand-off run in its process 72.1 → 67.8 ms
  // (medians of seven alternating sets of nine, 2026-12-10); natively vornel-convert from a
  // file to a file UTF-16 65.3 → 62.7 and 64.2 → 61.6 ms, ASCII 57.8 → 56.4 and 56.5 → 54.1 ms
  // (two sets of 31 alternating rounds).
  TextBuffer<char> bytes;
  TextBuffer<char> waiting;
  // Room for a run and what one piece adds to it at most (three bytes for a line of two
  // characters), so that neither moves; only what is written is ever touched.
  const std::size_t runRoom = tuning::kResultRunBytes + pieceBytes / 2 * 3 / 2 + 64;
  bytes.Reserve(runRoom);
  waiting.Reserve(runRoom);
  const std::function<void()> writeWaiting = [&] {
    if (waiting.Size() > 0 && !input.resultFailed && !write(waiting.View())) {
      input.resultFailed = true;
    }
    waiting.Clear();
  };
  PiecewiseConversion conversion(bytes, tuning::kShareFromChars, lineEnd);
  std::optional<TextEncoding> encoding;
  const auto take = [&](std::string_view piece, bool last,
                        const PieceRead& readNext) -> std::optional<std::size_t> {
    std::size_t used = 0;
    if (!encoding) {
      encoding = encodingOf(piece, last);
      if (!encoding) return 0;
      used = encoding->markBytes;
    }
    if (encoding->utf8) {
      // A UTF-8 text's bytes stand for units one to one, without decoding: a byte of a
      // character beyond ASCII, or of a malformed one, is foreign as that character is; NUL as
      // its replacement U+FFFD is; and the CR a lone LF would gain the conversion drops.
      used += conversion.Take(piece.substr(used), last, readNext, writeWaiting);
    } else {
      used += TakeUnits(conversion, piece.substr(used), last, readNext, writeWaiting);
    }
    writeWaiting();  // unless the conversion did
    // Nothing more is written once a line is too long; the last run goes at once.
    const bool ends = last || conversion.Foreign();
    if (bytes.Size() >= tuning::kResultRunBytes || ends) {
      if (!conversion.TooLong()) std::swap(bytes, waiting);
      bytes.Clear();
    }
    if (ends) writeWaiting();
    if (conversion.Foreign()) return std::nullopt;  // refused: no need to read on
    return used;
  };
  if (!read(take, pieceBytes)) return std::nullopt;
  input.foreign = conversion.Foreign();
  input.tooLong = conversion.TooLong();
  input.place = conversion.Refusal();
  input.numbers = conversion.Numbers();
  return input;
}

std::optional<HandOverFailure> HandOver(FileReplacement& result, const std::u16string& inputPath,
                                        const ConvertedInput& input) {
  // The result appears complete in one step, or not at all; only a reader of the old result
  // that lets others write it gets it written into the open file. Without it the input stays
  // for a retry.
  if (input.resultFailed || !result.CommitOrOverwrite()) return HandOverFailure::kResultUnwritable;
  // The result is in place: memory running out now is one more reason the input stays.
  try {
    if (!DeleteInput(inputPath)) return HandOverFailure::kInputNotDeleted;
  } catch (const std::bad_alloc&) {
    return HandOverFailure::kInputNotDeleted;
  }
  return std::nullopt;
}
