#pragma once
// File-type filters written as "name|pattern|name|pattern||".

#include <string>
#include <string_view>
#include <vector>

struct FileTypeFilter {
  std::u16string name;     // shown to the user, e.g. "All (*.*)"
  std::u16string pattern;  // e.g. "*.*"
};

// The (name, pattern) pairs of `filter`, in order; parsing stops at an empty name (the closing
// "||") and drops a name that has no pattern. Empty for an empty filter.
std::vector<FileTypeFilter> ParseFileFilter(std::u16string_view filter);
