#include "pipeline/text_conversion.h"

#include <algorithm>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

}  // namespace

std::optional<TextEncoding> SniffedEncodingOf(std::string_view start, std::uint64_t length,
                                              bool complete) {
  if (start.starts_with(kUtf8Mark)) return TextEncoding{true, kUtf8Mark.size()};
  if (start.starts_with(kUtf16LeMark)) return TextEncoding{false, kUtf16LeMark.size()};
  const auto sniffed =
      static_cast<std::size_t>(std::min<std::uint64_t>(length, tuning::kSniffedBytes));
  if (!complete && (start.size() < sniffed || start.size() < kUtf8Mark.size())) {
    return std::nullopt;
  }
  if (length % 2 != 0) return TextEncoding{true, 0};
  for (std::size_t i = 1; i < std::min(start.size(), sniffed); i += 2) {
    if (start[i] != '\0') return TextEncoding{true, 0};
  }
  return TextEncoding{false, 0};
}

std::optional<ConvertedInput> ConvertTextInput(
    OpenFile& input, const std::function<bool(std::string_view bytes)>& write,
    std::size_t pieceBytes) {
  const std::optional<std::uint64_t> length = input.Size();
  if (!length) return std::nullopt;
  return ConvertInputPieces(
      [&](const PieceTaker& take, std::size_t bytes) { return input.ReadInPieces(take, bytes); },
      [&](std::string_view start, bool complete) {
        return SniffedEncodingOf(start, *length, complete);
      },
      write, pieceBytes);
}
