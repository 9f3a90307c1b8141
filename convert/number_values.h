#pragma once
// The numbers of a file conversion held as their values: what a split cuts from the file
// text, four bytes an entry, with the first entry too long to convert marked.

#include <cstdint>
#include <string_view>
#include <vector>

class NumberValues {
 public:
  // Number of entries.
  std::int64_t Size() const { return static_cast<std::int64_t>(values_.size() + tail_.size()); }
  bool Empty() const { return Size() == 0; }
  // Value of entry `index` (0 <= index < Size()) as BinaryValue gives it for the entry's
  // characters; meaningful for an entry no longer than kLongestLine.
  std::uint32_t operator[](std::int64_t index) const {
    const auto k = static_cast<std::size_t>(index);
    return k < values_.size() ? values_[k] : tail_[k - values_.size()];
  }
  // Index of the first entry longer than kLongestLine; -1 when all fit.
  std::int64_t FirstOverlong() const { return firstOverlong_; }

  // Builds an entry from its characters: AddChars, then CloseEntry, which keeps the pending
  // characters as an entry when there are any and does nothing otherwise.
  void AddChars(std::u16string_view chars);
  void CloseEntry();
  // Appends a whole entry of at most kLongestLine characters by its value (nothing pending).
  void AddValue(std::uint32_t value) { values_.push_back(value); }
  // Appends the entries of `tail`, taking its memory rather than copying it. Neither list has
  // been joined to another before, and nothing is pending here.
  void Join(NumberValues&& tail);
  // Removes every entry and the pending characters; releases the storage.
  void Clear();
  // Reserves room for `entries` entries (`chars`, their characters, takes none).
  void Reserve(std::size_t chars, std::size_t entries);

 private:
  std::vector<std::uint32_t> values_;
  std::vector<std::uint32_t> tail_;  // the entries joined after values_
  std::int64_t firstOverlong_ = -1;
  std::uint32_t pendingValue_ = 0;
  std::uint64_t pendingLength_ = 0;
};
