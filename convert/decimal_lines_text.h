#pragma once
// The results of a file conversion as a text that is never written out whole: the decimal
// lines of a list of values (each value's digits followed by CR LF), every character formed
// from its value when it is read. Only where every kLinesPerStart-th line starts is kept.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "convert/number_values.h"
#include "tuning/tuning.h"

class DecimalLinesText {
 public:
  // Indexes the lines of `values` (each at most kLargestValue). After every `stepEvery` values
  // and after the last one, `step`, when given, runs with the number indexed so far; once it
  // returns true the indexing stops and nullptr is returned. Throws std::bad_alloc when memory
  // runs out.
  static std::shared_ptr<const DecimalLinesText> Index(
      std::shared_ptr<const NumberValues> values, std::int64_t stepEvery = 1,
      const std::function<bool(std::int64_t indexed)>& step = {});

  // The values whose lines these are.
  const NumberValues& Values() const { return *values_; }
  // Characters in all.
  std::size_t Size() const { return size_; }
  // One more than the values: the last line, after the last CR LF, is empty.
  std::size_t LineCount() const { return static_cast<std::size_t>(values_->Size()) + 1; }
  // Position of the first character of `line`; Size() for the last line and past it.
  std::size_t LineStart(std::size_t line) const;
  // The line that holds `position`: a line's CR LF belongs to it, the end to the last line.
  std::size_t LineOf(std::size_t position) const;
  // Writes the digits of `line` at `out`, which has room for kDecimalScratch characters;
  // returns how many there are (none for the last line and past it).
  std::size_t LineDigits(std::size_t line, char16_t* out) const;
  // Writes the `count` characters from `from` at `out` (from + count <= Size()).
  void CopyChars(std::size_t from, std::size_t count, char16_t* out) const;
  // The `count` lines with the most characters, longest first and, among lines of one length,
  // the earlier first (fewer when there are fewer lines); more than kLongestKept are looked for
  // in the values once more. Throws std::bad_alloc.
  std::vector<std::size_t> LongestLines(std::size_t count) const;

 private:
  // How many of the longest lines Index finds out: as many as a view measures.
  static constexpr std::size_t kLongestKept = tuning::kMeasuredLines;

  // A line's start is found by walking at most 63 lines (well under a microsecond) from one
  // kept for every 64, an eighth of a byte a line.
  static constexpr std::size_t kLinesPerStart = 64;
  static constexpr std::size_t kLongestDigits = 10;
  // Lines by their number of digits (0 for the last line), each list in order.
  using LinesByDigits = std::array<std::vector<std::size_t>, kLongestDigits + 1>;

  explicit DecimalLinesText(std::shared_ptr<const NumberValues> values);
  // Characters of line `line` (below the values' count), its CR LF included.
  std::size_t LineLength(std::size_t line) const;
  // The first `count` lines of `byDigits`, the longest first.
  static std::vector<std::size_t> Longest(const LinesByDigits& byDigits, std::size_t count);

  std::shared_ptr<const NumberValues> values_;
  std::vector<std::size_t> starts_;  // starts_[k]: where line k * kLinesPerStart starts
  std::size_t size_ = 0;
  std::vector<std::size_t> longest_;  // LongestLines(kLongestKept)
};
