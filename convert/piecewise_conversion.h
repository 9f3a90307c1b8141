#pragma once
// The batch run's conversion of a text that arrives in pieces as its file is read: each
// piece's characters are tested as HasNonBinaryChars tests them, and its complete lines are
// converted as ConvertNumberLines converts them, so that the whole text is never held. A
// refused text is placed as it goes: the lines passed are counted on the way, and only the
// piece that is refused is looked at again, character by character.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "convert/number_lines.h"
#include "convert/shared_conversion.h"
#include "convert/text_buffer.h"
#include "convert/text_place.h"
#include "tuning/tuning.h"

class PiecewiseConversion {
 public:
  // Appends the converted lines, each ending with `lineEnd`, to `out`. Pieces of `shareFrom`
  // characters and more are converted on two threads (see SharedConversion).
  explicit PiecewiseConversion(TextBuffer<char>& out,
                               std::size_t shareFrom = tuning::kShareFromChars,
                               LineEnd lineEnd = LineEnd::kCrLf)
      : out_(out), shared_(shareFrom, tuning::kChunkChars, lineEnd) {}

  // Takes `text`, the text that follows what earlier calls have used: tests its characters,
  // converts its complete lines and returns how many characters it used. The rest, the start
  // of an unfinished line, must come again at the start of the next call. With `last`, `text`
  // ends the whole text and all of it is used. Throws std::bad_alloc when memory runs out.
  // The helper may run `alongside`, and the caller runs `meanwhile`, as
  // SharedConversion::Convert runs them, each at most once: not at all when the text ends no
  // line, or is refused before its lines are converted.
  std::size_t Take(std::u16string_view text, bool last, const std::function<void()>& alongside = {},
                   const std::function<void()>& meanwhile = {});
  // Take for a text of bytes that stand one for one for UTF-16 units (ASCII): as Take of the
  // units, without widening the whole text first.
  std::size_t Take(std::string_view bytes, bool last, const std::function<void()>& alongside = {},
                   const std::function<void()>& meanwhile = {});

  // A character other than '0', '1', CR and LF was met: the outcome cannot change any more.
  bool Foreign() const { return foreign_; }
  // A line longer than kLongestLine was met: nothing further is converted, but the characters
  // are still tested.
  bool TooLong() const { return tooLong_; }
  // Lines converted so far.
  std::int64_t Numbers() const { return numbers_; }
  // Where the text is refused: its first foreign character once Foreign(), else its first line
  // too long (column 0) once TooLong(); nullopt while neither.
  std::optional<TextPlace> Refusal() const;
  // Refuses the text as if a foreign character followed all that was taken (half a UTF-16
  // unit at the end of a file), unless a foreign character came before.
  void RefuseAtEnd();

 private:
  // Take, for either kind of text.
  template <class Char>
  std::size_t TakeText(std::basic_string_view<Char> text, bool last,
                       const std::function<void()>& alongside,
                       const std::function<void()>& meanwhile);
  // Tests and converts the text as Take does, without placing a refusal.
  template <class Char>
  std::size_t TakeLines(std::basic_string_view<Char> text, bool last,
                        const std::function<void()>& alongside,
                        const std::function<void()>& meanwhile);
  template <class Char>
  void Convert(std::basic_string_view<Char> lines, const std::function<void()>& alongside = {},
               const std::function<void()>& meanwhile = {});
  // Keeps the start of an unfinished line here instead of having it come again.
  void Hold(std::u16string_view part);
  // Moves reached_ over `used`, which holds `lineFeeds` LFs.
  template <class Char>
  void Pass(std::basic_string_view<Char> used, std::int64_t lineFeeds);
  // The UTF-16 units of `text`: itself, or its bytes widened into units_.
  static std::u16string_view Units(std::u16string_view text) { return text; }
  std::u16string_view Units(std::string_view bytes) { return Widened(bytes, units_); }
  // Moves reached_ over `text` one character at a time, the current line holding `digits`
  // digits already, and places the first line too long and the first foreign character (which
  // refuses the text: it stops there).
  void Locate(std::u16string_view text, std::size_t digits);

  TextBuffer<char>& out_;
  SharedConversion shared_;
  std::u16string held_;         // the start of an unfinished line, without its CRs
  TextBuffer<char16_t> units_;  // a text of bytes widened, where only units will do
  bool foreign_ = false;
  bool tooLong_ = false;
  std::int64_t numbers_ = 0;
  std::int64_t lineFeeds_ = 0;  // of the lines converted by the current Take
  // Where the text taken so far ends: its last line, and that line's characters as the column.
  TextPlace reached_{1, 0};
  std::optional<TextPlace> tooLongAt_;
  std::optional<TextPlace> foreignAt_;
};
