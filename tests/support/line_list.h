#pragma once
// The number list as a list of texts: what the dialog's split cuts from a file text, entry by
// entry as the characters stand. The tests and fuzz targets hold the program's lists of values
// against it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class LineList {
 public:
  // Number of entries.
  std::int64_t Size() const { return static_cast<std::int64_t>(ends_.size()); }
  bool Empty() const { return ends_.empty(); }
  // Entry `index` (0 <= index < Size()); the view lives until the list changes.
  std::u16string_view operator[](std::int64_t index) const;

  // Appends one entry (an empty one too).
  void Append(std::u16string_view entry);
  // Builds an entry character by character: AddChar, then CloseEntry, which keeps the
  // pending characters as an entry when there are any and does nothing otherwise.
  void AddChar(char16_t c) { chars_.push_back(c); }
  void AddChars(std::u16string_view chars) { chars_.append(chars); }
  void CloseEntry();
  // Removes every entry and the pending characters; releases the storage.
  void Clear();
  // Reserves room for `chars` characters in `entries` entries.
  void Reserve(std::size_t chars, std::size_t entries);

 private:
  std::u16string chars_;
  std::vector<std::uint64_t> ends_;  // entry k spans [ends_[k-1] (or 0), ends_[k])
};
