#include "pipeline/text_conversion.h"

#include <algorithm>
#include <string>

#include "convert/binary.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

// Tells whether the lines of a text, given in pieces, meet a refusal, one character at a
// time: this runs only once a text has been refused, so plain is fast enough.
class RefusalScan {
 public:
  explicit RefusalScan(Refusal refusal) : refusal_(refusal) {}

  // Scans the next piece of the text; the place of the refusal once it is met.
  std::optional<TextPlace> Take(std::u16string_view text) {
    for (const char16_t c : text) {
      if (c == u'\n') {
        if (refusal_ == Refusal::kTooLong && digits_ > kLongestLine) return TextPlace{line_, 0};
        ++line_;
        column_ = 0;
        digits_ = 0;
        continue;
      }
      ++column_;  // only '0', '1' and CR come before the first foreign character
      if (c == u'\r') continue;
      if (refusal_ == Refusal::kForeign && c != u'0' && c != u'1') {
        return TextPlace{line_, column_};
      }
      ++digits_;
    }
    return std::nullopt;
  }

 private:
  const Refusal refusal_;
  std::int64_t line_ = 1;
  std::int64_t column_ = 0;
  std::size_t digits_ = 0;
};

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

std::optional<TextPlace> FindRefusal(OpenFile& input, Refusal refusal, std::size_t pieceBytes) {
  const std::optional<std::uint64_t> length = input.Size();
  if (!length) return std::nullopt;
  std::optional<TextEncoding> encoding;
  std::u16string text;
  std::optional<UnicodeTextDecoder> decoder;
  RefusalScan scan(refusal);
  std::optional<TextPlace> place;
  const bool read = input.ReadInPieces(
      [&](std::string_view piece, bool last) -> std::optional<std::size_t> {
        std::size_t used = 0;
        if (!encoding) {
          encoding = SniffedEncodingOf(piece, *length, last);
          if (!encoding) return 0;
          used = encoding->markBytes;
          // The decoder tells the encoding by a mark: it is given one, the text's own skipped.
          decoder.emplace(text);
          decoder->Decode(encoding->utf8 ? kUtf8Mark : kUtf16LeMark, false);
        }
        used += decoder->Decode(piece.substr(used), last);
        place = scan.Take(text);
        text.clear();
        if (place) return std::nullopt;
        return used;
      },
      pieceBytes);
  if (!read) return std::nullopt;
  return place;
}
