#include "pipeline/text_conversion.h"

#include <algorithm>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

}  // namespace

std::optional<TextEncoding> SniffedEncodingOf(std::string_view start,
                                              std::optional<std::uint64_t> length, bool complete) {
  if (start.starts_with(kUtf8Mark)) return TextEncoding{true, kUtf8Mark.size()};
  if (start.starts_with(kUtf16LeMark)) return TextEncoding{false, kUtf16LeMark.size()};
  const auto sniffed = static_cast<std::size_t>(
      std::min<std::uint64_t>(length.value_or(tuning::kSniffedBytes), tuning::kSniffedBytes));
  if (!complete && (start.size() < sniffed || start.size() < kUtf8Mark.size())) {
    return std::nullopt;
  }
  if (length.value_or(0) % 2 != 0) return TextEncoding{true, 0};
  for (std::size_t i = 1; i < std::min(start.size(), sniffed); i += 2) {
    if (start[i] != '\0') return TextEncoding{true, 0};
  }
  return TextEncoding{false, 0};
}

std::optional<ConvertedInput> ConvertTextInput(
    OpenFile& input, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes, LineEnd lineEnd) {
  const std::optional<std::uint64_t> length = input.Size();
  if (!length) return std::nullopt;
  return ConvertInputPieces(
      [&](const PieceTaker& take, std::size_t bytes) { return input.ReadInPieces(take, bytes); },
      [&](std::string_view start, bool complete) {
        return SniffedEncodingOf(start, *length, complete);
      },
      write, pieceBytes, lineEnd);
}

std::optional<ConvertedInput> ConvertStreamInput(
    const PieceReader& read, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes, LineEnd lineEnd) {
  std::string start;         // the stream's first two bytes
  bool evenAssumed = false;  // told UTF-16LE by its bytes before its length was known
  std::uint64_t used = 0;    // bytes used before the current piece
  std::uint64_t length = 0;  // known at the end
  bool refused = false;      // by a foreign character: the rest is only read
  const PieceReader toTheEnd = [&](const PieceTaker& take, std::size_t bytes) {
    return read(
        [&](std::string_view piece, bool last,
            const PieceRead& readNext) -> std::optional<std::size_t> {
          if (used == 0) start = piece.substr(0, 2);
          if (last) length = used + piece.size();
          std::optional<std::size_t> taken = refused ? std::nullopt : take(piece, last, readNext);
          refused = !taken;
          used += taken.value_or(piece.size());
          return taken.value_or(piece.size());
        },
        bytes);
  };
  const EncodingRule encodingOf = [&](std::string_view bytes, bool complete) {
    const std::optional<TextEncoding> encoding = SniffedEncodingOf(
        bytes, complete ? std::optional<std::uint64_t>(bytes.size()) : std::nullopt, complete);
    evenAssumed = encoding && !complete && !encoding->utf8 && encoding->markBytes == 0;
    return encoding;
  };
  const std::optional<ConvertedInput> converted =
      ConvertInputPieces(toTheEnd, encodingOf, write, pieceBytes, lineEnd);
  if (!converted || !evenAssumed || length % 2 == 0) return converted;
  // An odd length after all: the text is UTF-8, whose second byte, a NUL, refuses it, or the
  // first already.
  return ConvertInputPieces(
      [&](const PieceTaker& take, std::size_t) {
        take(start, true, [] {});
        return true;
      },
      [](std::string_view, bool) {
        return TextEncoding{true, 0};
      },
      [](std::string_view) { return true; }, pieceBytes);
}
