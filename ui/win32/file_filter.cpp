#include "ui/win32/file_filter.h"

std::vector<FileTypeFilter> ParseFileFilter(std::u16string_view filter) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t bar = filter.find(u'|', start);
    if (bar == std::u16string_view::npos) {
      parts.push_back(filter.substr(start));
      break;
    }
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<FileTypeFilter> result;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;
    if (parts[i + 1].empty()) continue;
    result.push_back({std::u16string(parts[i]), std::u16string(parts[i + 1])});
  }
  return result;
}
