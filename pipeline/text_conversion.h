#pragma once
// The converter's pipeline: a text of binary numbers, a file held open or a stream, converted
// as the batch run converts its input file, with the encoding told by a byte-order mark or,
// without one, by the text's bytes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "pipeline/batch_pipeline.h"
#include "storage/open_file.h"
#include "storage/text_decoding.h"
#include "tuning/tuning.h"

// The encoding of a text of `length` bytes whose first bytes are `start` (all of them when
// `complete`): UTF-8 or UTF-16LE after its byte-order mark; without a mark, UTF-16LE when
// `length` is even and every byte at an odd offset among the first tuning::kSniffedBytes is zero,
// otherwise UTF-8. A `length` not known yet (a stream) counts as even and as long as the bytes
// sniffed. nullopt while `start` is too short to tell.
std::optional<TextEncoding> SniffedEncodingOf(std::string_view start,
                                              std::optional<std::uint64_t> length, bool complete);

// Converts the text of `input` from its start as ConvertBatchInput converts a file, with the
// encoding SniffedEncodingOf tells, each number's line ending with `lineEnd`, and places a
// refusal as it goes (ConvertedInput::place). nullopt when it cannot be read. Throws
// std::bad_alloc when memory runs out.
std::optional<ConvertedInput> ConvertTextInput(
    OpenFile& input, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes = tuning::kBatchPieceBytes, LineEnd lineEnd = LineEnd::kCrLf);

// ConvertTextInput for a stream, whose length is known only at its end: the bytes `read`
// hands on, converted as they come, with the same outcome as the same bytes in a file. It reads
// to the end even once the text is refused, so that the program writing the stream is never
// cut off. nullopt when `read` fails. Throws std::bad_alloc when memory runs out.
std::optional<ConvertedInput> ConvertStreamInput(
    const PieceReader& read, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes = tuning::kBatchPieceBytes, LineEnd lineEnd = LineEnd::kCrLf);
