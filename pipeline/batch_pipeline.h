#pragma once
// The batch run's pipeline, without any window: a Unicode text file is read in pieces,
// converted number by number and written beside the result file, which it then replaces.
// Neither the text nor the result is ever held whole.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "convert/number_lines.h"
#include "convert/text_place.h"
#include "storage/file_access.h"
#include "storage/text_decoding.h"
#include "tuning/tuning.h"

// What became of an input file, read, tested, split, limited and converted in one pass.
struct ConvertedInput {
  bool foreign = false;       // a character other than '0', '1', CR and LF was met
  bool tooLong = false;       // a non-empty line longer than kLongestLine was met
  bool resultFailed = false;  // `write` failed
  std::int64_t numbers = 0;   // lines converted
  // Where a foreign or too long input is refused: its first foreign character, else its
  // first line too long.
  std::optional<TextPlace> place;
};

// Reads the Unicode text file at `inputPath` (refused while another program holds it open
// for writing) and converts its numbers piece by piece as it is read (`pieceBytes` at a
// time): tests its characters, splits it into numbers, applies the length limit and hands the
// result's bytes (each number's decimal text and CR LF) to `write` as they come, until `write`
// fails or the input turns out foreign or too long. nullopt when the file cannot be opened or
// read. Throws std::bad_alloc when memory runs out.
std::optional<ConvertedInput> ConvertBatchInput(
    const std::u16string& inputPath, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes = tuning::kBatchPieceBytes);

// Hands a text's bytes to `take` as ReadFileInPieces does, `pieceBytes` at a time; false when
// they cannot be read.
using PieceReader = std::function<bool(const PieceTaker& take, std::size_t pieceBytes)>;
// The encoding of a text as its first bytes `start` tell (all of its bytes when `complete`);
// nullopt while they are too few to tell.
using EncodingRule =
    std::function<std::optional<TextEncoding>(std::string_view start, bool complete)>;

// ConvertBatchInput for the bytes that `read` hands on, their encoding told by `encodingOf`
// (ConvertBatchInput's is EncodingOf), each number's line ending with `lineEnd`; nullopt when
// `read` fails.
std::optional<ConvertedInput> ConvertInputPieces(
    const PieceReader& read, const EncodingRule& encodingOf,
    const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes = tuning::kBatchPieceBytes, LineEnd lineEnd = LineEnd::kCrLf);

// Why the hand-over of a converted input stopped.
enum class HandOverFailure {
  kResultUnwritable,  // the result could not be written or put in place; the input stays
  kInputNotDeleted,   // the result is in place, but the input could not be deleted
};

// Puts `result`, holding the whole result of `input` (neither foreign nor too long), in place
// of its file and deletes `inputPath`; nullopt when both went through, else the step that
// failed (memory running out after the result is in place is a failed deletion). Throws
// std::bad_alloc when memory runs out before the result is in place.
std::optional<HandOverFailure> HandOver(FileReplacement& result, const std::u16string& inputPath,
                                        const ConvertedInput& input);
